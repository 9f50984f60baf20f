// The style-sheet and style-attribute readers, kept thin (bytes in, call, check) so that it holds
// whatever becomes of their insides: the input is a style sheet, then after the first NUL a
// page that links it, read with it (so every element is matched against its rules); the whole
// input is also read as a style attribute.
#include "fetch/renderedtext.h"
#include "fuzztarget.h"
#include "style/declarations.h"
#include "style/stylesheet.h"

TV_FUZZ_TARGET(stylesheet)
{
    using namespace tv;
    const QByteArrayView all(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype nul = all.indexOf('\0');
    const QByteArrayView css = nul < 0 ? all : all.first(nul);
    // The page stays small: gumbo's own slowness on deep markup is not what is tested here.
    const QByteArray page = nul < 0
                                ? QByteArray("<div id=a class='b c'><p>x<span>y</span></p></div>")
                                : all.sliced(nul + 1)
                                      .first(std::min<qsizetype>(all.size() - nul - 1, 8192))
                                      .toByteArray();

    const css::Declarations declared = css::parseStyleAttribute(all);
    for (int p = 0; p < css::kPropertyCount; ++p)
        fuzz::check(declared.value(css::Property(p)) < 64, "a declared value is a known code");

    const QUrl address(QStringLiteral("http://fuzz.test/page.html"));
    const QUrl sheetAddress(QStringLiteral("http://fuzz.test/s.css"));
    css::LinkedSheets sheets;
    sheets.insert(css::sheetKey(sheetAddress),
                  {std::make_shared<const css::StyleSheet>(css), sheetAddress});
    const RenderedPage rendered =
        renderPage("<link rel=stylesheet href=s.css>" + page, address, &sheets);
    fuzz::check(fuzz::hasOnlyPairedSurrogates(rendered.text), "the text is well-formed");
    return 0;
}
