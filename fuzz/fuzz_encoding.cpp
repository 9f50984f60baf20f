// The encoding sniffing: a Content-Type line, then the page's bytes.
#include "fetch/encoding.h"
#include "fuzztarget.h"

TV_FUZZ_TARGET(encoding)
{
    using namespace tv;
    const auto [type, body] = fuzz::splitHead(data, size);
    const SniffedEncoding sniffed = sniffEncoding(body, type);
    fuzz::check(!sniffed.encoding.isEmpty(), "an encoding is always chosen");
    fuzz::check(sniffed.bomSize >= 0 && sniffed.bomSize <= body.size(), "mark within the bytes");

    const QByteArray utf8 = decodeToUtf8(body, type);
    fuzz::check(fuzz::isWellFormedUtf8(utf8), "decoded page is UTF-8");
    fuzz::check(isValidUtf8(utf8), "the program's own check agrees");
    if (isValidUtf8(body))
        fuzz::check(fuzz::isWellFormedUtf8(body), "valid by the program's check is valid");

    const QString plain = decodePlainText(body, type);
    fuzz::check(fuzz::hasOnlyPairedSurrogates(plain), "plain text is well-formed");

    // A canonical name read as a label names itself.
    const QByteArray label = encodingForLabel(charsetParameter(type));
    const QByteArray meta = prescanMetaCharset(body);
    fuzz::check(label.isEmpty() || encodingForLabel(label) == label, "a label's name is canonical");
    fuzz::check(meta.isEmpty() || encodingForLabel(meta) == meta, "a <meta> name is canonical");
    return 0;
}
