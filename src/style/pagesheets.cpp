#include "style/pagesheets.h"

#include "style/elementtree.h"
#include "style/mediaqueries.h"

#include <cstring>
#include <gumbo.h>

namespace tv::css {

namespace {

const char* attributeOf(const GumboNode* node, const char* name)
{
    const GumboAttribute* attr = gumbo_get_attribute(&node->v.element.attributes, name);
    return attr ? attr->value : nullptr;
}

class Collector {
public:
    Collector(PageSheets& out, const LinkedSheets* linked) : m_out(out), m_linked(linked) {}

    // Adds a sheet after the sheets it imports (those at hand, without cycles, not too deep).
    void add(const StyleSheet& sheet, const QUrl& address, const QByteArray& layer, bool layered)
    {
        const QString key = address.isValid() ? sheetKey(address) : QString();
        if (!key.isEmpty())
            m_chain.push_back(key);
        for (const ImportRule& import : sheet.imports()) {
            if (!import.applies)
                continue;
            const QUrl url = resolveHref(address, import.url);
            if (!url.isValid())
                continue;
            const QString importKey = sheetKey(url);
            if (m_chain.contains(importKey) || m_chain.size() > kMaxImportDepth)
                continue;
            const LinkedSheet imported = find(importKey);
            if (!imported.sheet) {
                ++m_out.linksMissing;
                continue;
            }
            QByteArray innerLayer = layer;
            if (import.layered) {
                const QByteArray name = import.layer.isEmpty()
                                            ? "\x03" + QByteArray::number(++m_anonymous)
                                            : import.layer;
                innerLayer = layer.isEmpty() ? name : layer + '.' + name;
            }
            add(*imported.sheet, imported.url, innerLayer, layered || import.layered);
        }
        if (!key.isEmpty())
            m_chain.pop_back();
        m_out.ordered.push_back({&sheet, layer, layered});
    }

    LinkedSheet find(const QString& key)
    {
        if (m_linked == nullptr)
            return {};
        const LinkedSheet found = m_linked->value(key);
        if (found.sheet)
            m_out.linked.push_back(found.sheet);
        return found;
    }

private:
    PageSheets& m_out;
    const LinkedSheets* m_linked;
    QStringList m_chain;
    int m_anonymous = 0;
};

QByteArray styleText(const GumboNode* style)
{
    QByteArray text;
    const GumboVector& children = style->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE ||
            child->type == GUMBO_NODE_CDATA)
            text += child->v.text.text;
    }
    return text;
}

bool mediaAttributeMatches(const GumboNode* node)
{
    const char* media = attributeOf(node, "media");
    return media == nullptr || mediaMatches(QByteArrayView(media, qsizetype(std::strlen(media))));
}

} // namespace

PageSheets collectPageSheets(const ElementTree& tree, const QUrl& pageUrl,
                             const LinkedSheets* linked)
{
    QUrl base = pageUrl;
    if (const GumboNode* element = tree.base()) {
        // The first base element with an href decides, even when it leads nowhere usable; it
        // applies to links before it as well.
        const QUrl resolved =
            pageUrl.resolved(QUrl(QString::fromUtf8(attributeOf(element, "href")).trimmed()));
        base = resolved.isValid() ? resolved : pageUrl;
    }
    const std::vector<const GumboNode*>& sources = tree.sheetSources();

    PageSheets out;
    Collector collector(out, linked);
    std::size_t ownRules = 0;
    for (const GumboNode* node : sources) {
        if (node->v.element.tag == GUMBO_TAG_STYLE) {
            if (out.tooMany || !mediaAttributeMatches(node) ||
                !typeIsCss(attributeOf(node, "type")))
                continue;
            out.own.push_back(std::make_unique<StyleSheet>(styleText(node)));
            collector.add(*out.own.back(), base, {}, false);
            ownRules += out.own.back()->rules().size();
            out.tooMany = int(out.own.size()) >= PageSheets::kMaxOwnSheets ||
                          ownRules > PageSheets::kMaxOwnRules;
            continue;
        }
        const char* rel = attributeOf(node, "rel");
        const char* href = attributeOf(node, "href");
        if (rel == nullptr || href == nullptr || !relIsStyleSheet(rel) ||
            attributeOf(node, "disabled") || !typeIsCss(attributeOf(node, "type")) ||
            !mediaAttributeMatches(node))
            continue;
        const QUrl url = resolveHref(base, href);
        if (!url.isValid())
            continue;
        const LinkedSheet found = collector.find(sheetKey(url));
        if (found.sheet)
            collector.add(*found.sheet, found.url, {}, false);
        else
            ++out.linksMissing;
    }
    return out;
}

} // namespace tv::css
