#include "fetch/stylesheet.h"

#include <algorithm>
#include <cstring>
#include <gumbo.h>

namespace tv {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

QByteArrayView trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && isSpace(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && isSpace(v.back()))
        v.chop(1);
    return v;
}

QByteArray withoutComments(QByteArrayView css)
{
    QByteArray out;
    out.reserve(css.size());
    qsizetype pos = 0;
    while (pos < css.size()) {
        const qsizetype open = css.indexOf("/*", pos);
        if (open < 0) {
            out.append(css.sliced(pos));
            break;
        }
        out.append(css.sliced(pos, open - pos));
        const qsizetype close = css.indexOf("*/", open + 2);
        if (close < 0)
            break;
        out.append(' ');
        pos = close + 2;
    }
    return out;
}

// Nested blocks deeper than this are left out; real sheets nest @media and @supports a few levels.
constexpr int kMaxBlockDepth = 32;
// Past this many distinct rules, or this many steps of matching, a sheet is spent. Real pages
// need a few thousand rules and well under a million steps.
constexpr qsizetype kMaxRules = 200000;
constexpr qint64 kMatchBudget = 4000000;

// The position of the '}' that closes the block whose content starts at `pos` (or the end).
qsizetype blockEnd(QByteArrayView css, qsizetype pos)
{
    int depth = 1;
    for (; pos < css.size(); ++pos) {
        if (css[pos] == '{')
            ++depth;
        else if (css[pos] == '}' && --depth == 0)
            return pos;
    }
    return css.size();
}

// The first of the given stop characters at or after `pos` (or the end).
qsizetype findAny(QByteArrayView css, qsizetype pos, const char* stops)
{
    for (; pos < css.size(); ++pos) {
        if (std::strchr(stops, css[pos]))
            return pos;
    }
    return css.size();
}

// A window of a desktop browser on screen: "all", "screen" and "only screen" apply; print and
// anything that depends on the window's size does not.
bool mediaApplies(QByteArrayView query)
{
    const QByteArray q = trimmed(query).toByteArray().toLower();
    if (q.isEmpty())
        return true;
    for (const QByteArray& part : q.split(',')) {
        const QByteArray p = part.trimmed();
        if (p == "all" || p == "screen" || p == "only screen" || p == "only all")
            return true;
    }
    return false;
}

const char* attributeValue(const GumboElement& el, const char* name)
{
    for (unsigned i = 0; i < el.attributes.length; ++i) {
        const auto* attr = static_cast<const GumboAttribute*>(el.attributes.data[i]);
        if (std::strcmp(attr->name, name) == 0)
            return attr->value;
    }
    return nullptr;
}

// Calls `visit` with each name of a class attribute (names are separated by white space)
// until it returns true; tells whether one did.
template <class Visit> bool anyClass(const char* classes, Visit&& visit)
{
    const char* p = classes;
    while (*p) {
        while (*p && isSpace(*p))
            ++p;
        const char* start = p;
        while (*p && !isSpace(*p))
            ++p;
        if (p > start && visit(QByteArray::fromRawData(start, p - start)))
            return true;
    }
    return false;
}

bool hasClass(const char* classes, const QByteArray& name)
{
    return classes && anyClass(classes, [&](const QByteArray& c) { return c == name; });
}

QByteArray tagName(const GumboElement& el)
{
    if (el.tag != GUMBO_TAG_UNKNOWN)
        return QByteArray::fromRawData(gumbo_normalized_tagname(el.tag),
                                       qsizetype(std::strlen(gumbo_normalized_tagname(el.tag))));
    GumboStringPiece piece = el.original_tag;
    if (!piece.data || piece.length == 0)
        return {};
    gumbo_tag_from_original_text(&piece);
    return QByteArray(piece.data, qsizetype(piece.length)).toLower();
}

bool matchesCompound(const StyleSheet*, const GumboNode* node, const QByteArray& tag,
                     const QByteArray& id, const std::vector<QByteArray>& classes)
{
    if (node == nullptr || node->type != GUMBO_NODE_ELEMENT)
        return false;
    const GumboElement& el = node->v.element;
    if (!tag.isEmpty() && tagName(el) != tag)
        return false;
    if (!id.isEmpty()) {
        const char* value = attributeValue(el, "id");
        if (!value || id != value)
            return false;
    }
    if (!classes.empty()) {
        const char* value = attributeValue(el, "class");
        for (const QByteArray& c : classes) {
            if (!hasClass(value, c))
                return false;
        }
    }
    return true;
}

// The declarations of a rule as a few bytes, to tell copies of a rule apart from other rules.
QByteArray declarationKey(const InlineStyle& style)
{
    auto code = [](const auto& value) { return char(value ? 1 + int(*value) : 0); };
    const char bytes[] = {code(style.display), code(style.visibility), code(style.whiteSpace),
                          code(style.textTransform), char(style.important)};
    return QByteArray(bytes, sizeof bytes);
}

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

} // namespace

void StyleSheet::addCss(QByteArrayView css)
{
    // "<!--" and "-->" around old style sheets are no part of any rule.
    QByteArray clean = withoutComments(css);
    clean.replace("<!--", "    ").replace("-->", "   ");
    addRules(clean);
}

// One pass over the text: group blocks that apply are entered (their closing brace pops them),
// everything else is skipped to its closing brace, so no byte is read twice and nothing recurses.
void StyleSheet::addRules(QByteArrayView css)
{
    int depth = 0; // group blocks entered and not yet closed
    qsizetype pos = 0;
    while (pos < css.size()) {
        const char c = css[pos];
        if (isSpace(c) || c == ';') {
            ++pos;
            continue;
        }
        if (c == '}') {
            depth = std::max(0, depth - 1);
            ++pos;
            continue;
        }
        if (c == '@') {
            const qsizetype stop = findAny(css, pos, "{;}");
            if (stop >= css.size() || css[stop] != '{') {
                pos = stop < css.size() && css[stop] == ';' ? stop + 1 : stop; // @import, @charset
                continue;
            }
            const QByteArrayView prelude = css.sliced(pos, stop - pos);
            const bool enter = depth < kMaxBlockDepth &&
                               ((prelude.startsWith("@media") && mediaApplies(prelude.sliced(6))) ||
                                prelude.startsWith("@supports"));
            if (enter) {
                ++depth;
                pos = stop + 1;
            } else {
                pos = blockEnd(css, stop + 1) + 1;
            }
            continue;
        }
        const qsizetype brace = findAny(css, pos, "{}");
        if (brace >= css.size())
            break;
        if (css[brace] == '}') {
            pos = brace; // a stray selector without a block
            continue;
        }
        const qsizetype end = blockEnd(css, brace + 1);
        addRule(css.sliced(pos, brace - pos), css.sliced(brace + 1, end - brace - 1));
        pos = end + 1;
    }
}

void StyleSheet::addRule(QByteArrayView selectors, QByteArrayView declarations)
{
    const InlineStyle style = parseInlineStyle(declarations);
    if (!style.display && !style.visibility && !style.whiteSpace && !style.textTransform)
        return;
    if (m_spent)
        return;
    const QByteArray declared = declarationKey(style);
    for (const QByteArray& text : selectors.toByteArray().split(',')) {
        // A copy of an earlier rule is that rule, moved to here in source order.
        const QByteArray textKey = text.simplified() + '{' + declared;
        if (const auto seen = m_byText.constFind(textKey); seen != m_byText.constEnd()) {
            m_rules[std::size_t(*seen)].order = m_nextOrder++;
            continue;
        }
        if (qsizetype(m_rules.size()) >= kMaxRules) {
            m_spent = true;
            return;
        }
        Rule rule;
        rule.style = style;
        rule.order = m_nextOrder++;
        Compound current;
        bool inCompound = false;
        char combinator = ' ';
        bool ok = true;
        const QByteArray s = text.trimmed();
        qsizetype i = 0;
        auto readName = [&]() {
            const qsizetype start = i;
            while (i < s.size() && isNameChar(s[i]))
                ++i;
            return s.mid(start, i - start);
        };
        auto finishCompound = [&]() {
            if (!inCompound)
                return;
            if (!rule.compounds.empty())
                rule.combinators.push_back(combinator);
            rule.compounds.push_back(current);
            current = Compound();
            inCompound = false;
            combinator = ' ';
        };
        while (ok && i < s.size()) {
            const char c = s[i];
            if (isSpace(c)) {
                finishCompound();
                ++i;
            } else if (c == '>') {
                finishCompound();
                combinator = '>';
                ++i;
            } else if (c == '.') {
                ++i;
                current.classes.push_back(readName());
                rule.specificity += 100;
                inCompound = true;
                ok = !current.classes.back().isEmpty();
            } else if (c == '#') {
                ++i;
                current.id = readName();
                rule.specificity += 10000;
                inCompound = true;
                ok = !current.id.isEmpty();
            } else if (c == '*') {
                ++i;
                inCompound = true;
            } else if (isNameChar(c)) {
                current.tag = readName().toLower();
                rule.specificity += 1;
                inCompound = true;
            } else {
                ok = false; // pseudo-classes, attributes, sibling combinators
            }
        }
        finishCompound();
        if (!ok || rule.compounds.empty() || combinator == '>')
            continue;
        const int index = int(m_rules.size());
        const Compound& key = rule.compounds.back();
        if (!key.id.isEmpty())
            m_byId[key.id].push_back(index);
        else if (!key.classes.empty())
            m_byClass[key.classes.front()].push_back(index);
        else if (!key.tag.isEmpty())
            m_byTag[key.tag].push_back(index);
        else
            m_universal.push_back(index);
        m_byText.insert(textKey, index);
        m_rules.push_back(std::move(rule));
    }
}

bool StyleSheet::matches(const Rule& rule, const GumboNode* element) const
{
    const GumboNode* node = element;
    std::size_t i = rule.compounds.size() - 1;
    ++m_work;
    const Compound& last = rule.compounds[i];
    if (!matchesCompound(this, node, last.tag, last.id, last.classes))
        return false;
    while (i-- > 0) {
        const Compound& c = rule.compounds[i];
        if (rule.combinators[i] == '>') {
            node = node->parent;
            if (!matchesCompound(this, node, c.tag, c.id, c.classes))
                return false;
            continue;
        }
        do {
            node = node->parent;
            ++m_work;
        } while (node && node->type == GUMBO_NODE_ELEMENT &&
                 !matchesCompound(this, node, c.tag, c.id, c.classes));
        if (!node || node->type != GUMBO_NODE_ELEMENT)
            return false;
    }
    return true;
}

InlineStyle StyleSheet::match(const GumboNode* element) const
{
    InlineStyle result;
    if (m_rules.empty() || m_spent || element->type != GUMBO_NODE_ELEMENT)
        return result;
    const GumboElement& el = element->v.element;
    std::vector<int> candidates = m_universal;
    auto addAll = [&](const QHash<QByteArray, std::vector<int>>& index, const QByteArray& key) {
        const auto it = index.constFind(key);
        if (it != index.constEnd())
            candidates.insert(candidates.end(), it->begin(), it->end());
    };
    if (!m_byId.isEmpty()) {
        if (const char* id = attributeValue(el, "id"))
            addAll(m_byId, QByteArray::fromRawData(id, qsizetype(std::strlen(id))));
    }
    if (!m_byClass.isEmpty()) {
        if (const char* classes = attributeValue(el, "class")) {
            anyClass(classes, [&](const QByteArray& c) {
                addAll(m_byClass, c);
                return false;
            });
        }
    }
    if (!m_byTag.isEmpty())
        addAll(m_byTag, tagName(el));
    if (candidates.empty())
        return result;
    m_work += qint64(candidates.size());
    std::sort(candidates.begin(), candidates.end(), [this](int a, int b) {
        const Rule& x = m_rules[std::size_t(a)];
        const Rule& y = m_rules[std::size_t(b)];
        return x.specificity != y.specificity ? x.specificity < y.specificity : x.order < y.order;
    });
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    for (const int index : candidates) {
        const Rule& rule = m_rules[std::size_t(index)];
        if (matches(rule, element))
            result = cascade(result, rule.style);
        if (m_work > kMatchBudget) {
            m_spent = true;
            return {};
        }
    }
    return result;
}

} // namespace tv
