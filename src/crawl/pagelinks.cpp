#include "crawl/pagelinks.h"

#include "crawl/siteaddress.h"
#include "fetch/arena.h"
#include "fetch/encoding.h"
#include "fetch/htmlbounds.h"
#include "platform/guard.h"

#include <QSet>
#include <cstring>
#include <gumbo.h>
#include <vector>

namespace tv {

namespace {

const char* attribute(const GumboElement& element, const char* name)
{
    const GumboAttribute* attr = gumbo_get_attribute(&element.attributes, name);
    return attr ? attr->value : nullptr;
}

// ASCII-case-insensitive tokens split at white space or commas.
bool hasToken(const char* value, QByteArrayView token)
{
    if (!value)
        return false;
    QByteArray text = QByteArray(value).toLower();
    for (char& c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f')
            c = ',';
    }
    for (const QByteArray& piece : text.split(',')) {
        if (piece == token)
            return true;
    }
    return false;
}

// Tabs and line breaks are dropped from an address and blanks trimmed, as a browser's address
// parser does.
QString cleanHref(const char* value)
{
    QString href = QString::fromUtf8(value).trimmed();
    href.remove(u'\t');
    href.remove(u'\n');
    href.remove(u'\r');
    return href;
}

// The marker of a link turned into an <img> (below).
constexpr char kLinkMarker[] = "data-tallyvane-link";

// Every <a start tag becomes <img data-tallyvane-link ...>, with its attributes intact. The
// nesting bound before the parse drops start tags past 32 open formatting elements, and it
// counts an unclosed <a> as open (a parser closes it at the next <a>): a list of 100 unclosed
// links, or links after 40 unclosed <font> tags, would lose their links. A void element is never
// dropped, and links need no content. Inside raw text, comments and attribute values the rewrite
// changes nothing that is read.
bool linkStartsAt(const QByteArray& html, qsizetype pos)
{
    const char name = html[pos + 1];
    const char after = html[pos + 2];
    return (name == 'a' || name == 'A') &&
           (after == ' ' || after == '\t' || after == '\n' || after == '\r' || after == '\f' ||
            after == '>' || after == '/');
}

QByteArray linksAsVoidTags(const QByteArray& html)
{
    QByteArray out;
    qsizetype copied = 0;
    qsizetype pos = 0;
    while ((pos = html.indexOf('<', pos)) >= 0 && pos + 2 < html.size()) {
        if (linkStartsAt(html, pos)) {
            if (out.isEmpty())
                out.reserve(html.size() + html.size() / 8);
            out.append(html.constData() + copied, pos - copied);
            out.append("<img ");
            out.append(kLinkMarker);
            copied = pos + 2;
        }
        ++pos;
    }
    if (copied == 0)
        return html;
    out.append(html.constData() + copied, html.size() - copied);
    return out;
}

// The <a start tags linksAsVoidTags rewrites (some may lie in text a parse never reads as tags).
int linkStartTags(const QByteArray& html)
{
    int count = 0;
    for (qsizetype pos = 0; (pos = html.indexOf('<', pos)) >= 0 && pos + 2 < html.size(); ++pos)
        count += linkStartsAt(html, pos) ? 1 : 0;
    return count;
}

// Whether the page names the marker itself (in any case, as attribute names are read).
bool mentionsMarker(const QByteArray& html)
{
    const QByteArrayView marker(kLinkMarker);
    for (qsizetype pos = 0; (pos = html.indexOf('-', pos)) >= 0; ++pos) {
        const qsizetype start = pos - 4; // "data"
        if (start >= 0 && html.size() - start >= marker.size() &&
            QByteArrayView(html)
                    .sliced(start, marker.size())
                    .compare(marker, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool isMarkedLink(const GumboElement& element)
{
    if (element.tag != GUMBO_TAG_IMG || element.attributes.length == 0)
        return false;
    const auto* first = static_cast<const GumboAttribute*>(element.attributes.data[0]);
    return std::strcmp(first->name, kLinkMarker) == 0;
}

struct RawLinks {
    std::vector<QString> hrefs; // in document order, nofollow ones already left out
    QString baseHref;
    bool baseSeen = false;
    bool nofollowPage = false;
    int nofollowLinks = 0;
};

// How the links of a tree are marked: rewritten into marked <img> tags, or <a> elements as the
// page wrote them (the tree the text is read from).
enum class LinkForm { Marked, Anchor };

// What a tree of the page as written says about reading its links there instead of in the
// rewritten page: the same links come out only when each <a> start tag became exactly one
// ordinary HTML <a> element where the tag stood.
struct AnchorCheck {
    int anchors = 0;
    bool faithful = true;
};

bool isLink(const GumboNode& node, LinkForm form, AnchorCheck& check)
{
    const GumboElement& element = node.v.element;
    if (form == LinkForm::Marked)
        return isMarkedLink(element);
    // Elements the parse cloned, moved or foster-parented stand elsewhere (or more than once)
    // than the rewritten tags would; any foster-parented node may move a table's links.
    constexpr unsigned kDisplaced =
        GUMBO_INSERTION_BY_PARSER | GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT |
        GUMBO_INSERTION_ADOPTION_AGENCY_CLONED | GUMBO_INSERTION_ADOPTION_AGENCY_MOVED |
        GUMBO_INSERTION_FOSTER_PARENTED;
    if (node.parse_flags & GUMBO_INSERTION_FOSTER_PARENTED)
        check.faithful = false;
    if (element.tag != GUMBO_TAG_A)
        return false;
    ++check.anchors;
    if ((node.parse_flags & kDisplaced) || element.tag_namespace != GUMBO_NAMESPACE_HTML)
        check.faithful = false;
    return true;
}

RawLinks collect(const GumboNode* root, QByteArrayView productToken, LinkForm form,
                 AnchorCheck& check)
{
    RawLinks raw;
    const QByteArray ownName = productToken.toByteArray().toLower();
    // An explicit stack: page trees can be far deeper than the thread's stack allows recursion.
    std::vector<const GumboNode*> pending{root};
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
            continue;
        const GumboElement& el = node->v.element;
        if (isLink(*node, form, check)) {
            const char* href = attribute(el, "href");
            if (!href)
                href = attribute(el, "xlink:href");
            if (href) {
                if (hasToken(attribute(el, "rel"), "nofollow"))
                    ++raw.nofollowLinks;
                else
                    raw.hrefs.push_back(cleanHref(href));
            }
        } else if (el.tag == GUMBO_TAG_BASE && !raw.baseSeen) {
            if (const char* href = attribute(el, "href")) {
                raw.baseSeen = true;
                raw.baseHref = cleanHref(href);
            }
        } else if (el.tag == GUMBO_TAG_META) {
            const QByteArray name = QByteArray(attribute(el, "name")).trimmed().toLower();
            if ((name == "robots" || name == ownName) &&
                (hasToken(attribute(el, "content"), "nofollow") ||
                 hasToken(attribute(el, "content"), "none")))
                raw.nofollowPage = true;
        }
        for (unsigned i = el.children.length; i-- > 0;)
            pending.push_back(static_cast<const GumboNode*>(el.children.data[i]));
    }
    return raw;
}

RawLinks parseLinks(const QByteArray& utf8, NestingLimits limits, std::size_t budget,
                    QByteArrayView productToken)
{
    const QByteArray html = boundNesting(linksAsVoidTags(utf8), limits);
    Arena arena;
    arena.setBudget(budget);
    const GumboOutput* output = parseInArena(arena, html);
    AnchorCheck unused;
    return collect(output->root, productToken, LinkForm::Marked, unused);
}

RawLinks rawLinks(const QByteArray& utf8, QByteArrayView productToken)
{
    const std::size_t budget = std::size_t(64) * 1024 * 1024 + 32 * std::size_t(utf8.size());
    RawLinks raw;
    try {
        raw = parseLinks(utf8, NestingLimits{}, budget, productToken);
    } catch (const ArenaExhausted&) {
        // Reopened formatting elements multiply the tree; without them it stays small, and the
        // links are the same.
        try {
            raw =
                parseLinks(utf8, NestingLimits{NestingLimits{}.maxDepth, 0}, budget, productToken);
        } catch (const ArenaExhausted&) {
            throw Failure(QStringLiteral("The page is built so that reading its links would take "
                                         "more than %1 MB of memory")
                              .arg(budget / (1024 * 1024)));
        }
    }
    return raw;
}

PageLinks resolveLinks(const RawLinks& raw, const QUrl& pageUrl, int maxLinks)
{
    PageLinks links;
    links.nofollowLinks = raw.nofollowLinks;
    links.nofollowPage = raw.nofollowPage;
    if (raw.nofollowPage)
        return links;
    QUrl base = pageUrl;
    if (raw.baseSeen) {
        // A base that is no web address (javascript:, data:) is ignored, as browsers do.
        const QUrl resolved = pageUrl.resolved(QUrl(raw.baseHref, QUrl::TolerantMode));
        if (!normalisedAddress(resolved).isEmpty())
            base = resolved;
    }
    QSet<QString> seen;
    for (const QString& href : raw.hrefs) {
        const QUrl target(href, QUrl::TolerantMode);
        if (!target.isValid())
            continue;
        const QString address = normalisedAddress(base.resolved(target));
        if (address.isEmpty() || seen.contains(address))
            continue;
        if (links.addresses.size() >= maxLinks) {
            links.cut = true;
            break;
        }
        seen.insert(address);
        links.addresses << address;
    }
    return links;
}

} // namespace

std::optional<PageLinks> linksFromTree(const GumboInternalOutput& tree, const QByteArray& utf8Html,
                                       const QUrl& pageUrl, QByteArrayView productToken,
                                       int maxLinks)
{
    if (mentionsMarker(utf8Html))
        return std::nullopt;
    AnchorCheck check;
    const RawLinks raw = collect(tree.root, productToken, LinkForm::Anchor, check);
    if (!check.faithful || check.anchors != linkStartTags(utf8Html))
        return std::nullopt;
    return resolveLinks(raw, pageUrl, maxLinks);
}

PageLinks pageLinks(const QByteArray& body, QByteArrayView contentType, const QUrl& pageUrl,
                    QByteArrayView productToken, int maxLinks)
{
    return resolveLinks(rawLinks(decodeToUtf8(body, contentType), productToken), pageUrl, maxLinks);
}

} // namespace tv
