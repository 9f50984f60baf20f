// A crawled page's links read from the tree its text is read from: whenever that tree answers,
// it must give exactly the links of the page's own parse, since the crawl then parses it once.
#include "crawl/pagelinks.h"
#include "fetch/encoding.h"
#include "fetch/renderedtext.h"
#include "fuzztarget.h"
#include "platform/guard.h"

#include <optional>

TV_FUZZ_TARGET(pagelinks)
{
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    const QUrl url(QStringLiteral("http://site.example/dir/page.html"));
    const QByteArray utf8 = tv::decodeToUtf8(body, "text/html");
    std::optional<tv::PageLinks> fromTree;
    try {
        tv::renderPage(utf8, url, nullptr,
                       [&](const GumboInternalOutput& tree, const QByteArray& parsed) {
                           fromTree = tv::linksFromTree(tree, parsed, url);
                       });
    } catch (const tv::Failure&) {
        return 0; // past the memory budget: no tree was shown
    }
    if (!fromTree)
        return 0;
    tv::PageLinks own;
    try {
        own = tv::pageLinks(body, "text/html", url);
    } catch (const tv::Failure&) {
        tv::fuzz::check(false, "a page whose text's tree gave links has links of its own");
    }
    tv::fuzz::check(fromTree->addresses == own.addresses, "the same links, in the same order");
    tv::fuzz::check(fromTree->nofollowPage == own.nofollowPage, "the same nofollow page");
    tv::fuzz::check(fromTree->nofollowLinks == own.nofollowLinks, "the same nofollow links");
    tv::fuzz::check(fromTree->cut == own.cut, "the same cut");
    return 0;
}
