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
QByteArray linksAsVoidTags(const QByteArray& html)
{
    QByteArray out;
    qsizetype copied = 0;
    qsizetype pos = 0;
    while ((pos = html.indexOf('<', pos)) >= 0 && pos + 2 < html.size()) {
        const char name = html[pos + 1];
        const char after = html[pos + 2];
        if ((name == 'a' || name == 'A') &&
            (after == ' ' || after == '\t' || after == '\n' || after == '\r' || after == '\f' ||
             after == '>' || after == '/')) {
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

bool isLink(const GumboElement& element)
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

RawLinks collect(const GumboNode* root, QByteArrayView productToken)
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
        if (isLink(el)) {
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
    return collect(output->root, productToken);
}

} // namespace

PageLinks pageLinks(const QByteArray& body, QByteArrayView contentType, const QUrl& pageUrl,
                    QByteArrayView productToken, int maxLinks)
{
    const QByteArray utf8 = decodeToUtf8(body, contentType);
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

} // namespace tv
