// The style-sheet and inline-style readers, kept thin (bytes in, call, check) so that it holds
// whatever becomes of their insides: the input is a style sheet, then after the first NUL a
// page whose every element is matched against it; the whole input is also read as a style
// attribute.
#include "fetch/inlinestyle.h"
#include "fetch/stylesheet.h"
#include "fuzztarget.h"

#include <gumbo.h>
#include <vector>

TV_FUZZ_TARGET(stylesheet)
{
    using namespace tv;
    const QByteArrayView all(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype nul = all.indexOf('\0');
    const QByteArrayView css = nul < 0 ? all : all.first(nul);
    // The page stays small: gumbo's own slowness on deep markup is not what is tested here.
    const QByteArray html = nul < 0
                                ? QByteArray("<div id=a class='b c'><p>x<span>y</span></p></div>")
                                : all.sliced(nul + 1)
                                      .first(std::min<qsizetype>(all.size() - nul - 1, 8192))
                                      .toByteArray();

    const InlineStyle inline_ = parseInlineStyle(all);
    StyleSheet sheet;
    sheet.addCss(css);

    GumboOutput* output =
        gumbo_parse_with_options(&kGumboDefaultOptions, html.constData(), size_t(html.size()));
    std::vector<const GumboNode*> pending{output->root};
    int elements = 0;
    while (!pending.empty() && elements < 10000) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
            continue;
        ++elements;
        const InlineStyle matched = sheet.match(node);
        const InlineStyle both = cascade(matched, inline_);
        fuzz::check(!matched.display || both.display, "the cascade keeps a declared display");
        const GumboVector& children = node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i)
            pending.push_back(static_cast<const GumboNode*>(children.data[i]));
    }
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return 0;
}
