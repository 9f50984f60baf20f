// The page text: a Content-Type line, then the page's bytes, through everything a downloaded
// page goes through (encoding, HTML parse, rendered text).
#include "fetch/pagetext.h"
#include "fuzztarget.h"
#include "platform/guard.h"

TV_FUZZ_TARGET(pagetext)
{
    const auto [type, body] = tv::fuzz::splitHead(data, size);
    QString text;
    try {
        text = tv::pageText(body.toByteArray(), type);
    } catch (const tv::Failure&) {
        // Another type, or a page past its memory budget: told, never a crash.
        return 0;
    }
    tv::fuzz::check(tv::fuzz::hasOnlyPairedSurrogates(text), "page text is well-formed");
    tv::fuzz::check(tv::fuzz::isWellFormedUtf8(text.toUtf8()), "page text as UTF-8");
    return 0;
}
