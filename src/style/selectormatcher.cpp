#include "style/selectormatcher.h"

#include <cstring>
#include <gumbo.h>

namespace tv::css {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

const char* attributeOf(const GumboNode* node, const char* name)
{
    const GumboVector& attributes = node->v.element.attributes;
    for (unsigned i = 0; i < attributes.length; ++i) {
        const auto* attr = static_cast<const GumboAttribute*>(attributes.data[i]);
        if (std::strcmp(attr->name, name) == 0)
            return attr->value;
    }
    return nullptr;
}

bool isHtml(const GumboNode* node, GumboTag tag)
{
    return node->v.element.tag == tag && node->v.element.tag_namespace == GUMBO_NAMESPACE_HTML;
}

// Compares `n` bytes of an attribute's value with a test's value (lower case when ignoring case).
bool sameBytes(const char* value, const QByteArray& expected, qsizetype n, bool ignoreCase)
{
    for (qsizetype i = 0; i < n; ++i) {
        const char c = ignoreCase ? lower(value[i]) : value[i];
        if (c != expected[i])
            return false;
    }
    return true;
}

bool isFormControl(const GumboNode* node)
{
    return isHtml(node, GUMBO_TAG_BUTTON) || isHtml(node, GUMBO_TAG_INPUT) ||
           isHtml(node, GUMBO_TAG_SELECT) || isHtml(node, GUMBO_TAG_TEXTAREA) ||
           isHtml(node, GUMBO_TAG_OPTGROUP) || isHtml(node, GUMBO_TAG_OPTION) ||
           isHtml(node, GUMBO_TAG_FIELDSET);
}

bool isTextInput(const GumboNode* node)
{
    if (!isHtml(node, GUMBO_TAG_INPUT))
        return false;
    const char* type = attributeOf(node, "type");
    if (type == nullptr)
        return true;
    static const char* const notText[] = {"checkbox", "radio", "submit", "button", "hidden",
                                          "image",    "reset", "file",   "range",  "color"};
    for (const char* t : notText) {
        if (strcasecmp(type, t) == 0)
            return false;
    }
    return true;
}

bool isReadWrite(const GumboNode* node)
{
    const bool editableControl = isTextInput(node) || isHtml(node, GUMBO_TAG_TEXTAREA);
    if (editableControl)
        return !attributeOf(node, "readonly") && !attributeOf(node, "disabled");
    const char* editable = attributeOf(node, "contenteditable");
    return editable && strcasecmp(editable, "false") != 0;
}

bool langMatches(const char* lang, const QByteArray& ranges)
{
    if (lang == nullptr || *lang == '\0')
        return false;
    const QByteArray value = QByteArray(lang).toLower();
    for (const QByteArray& range : ranges.split(',')) {
        if (range == "*" || value == range ||
            (value.startsWith(range) && value.size() > range.size() && value[range.size()] == '-'))
            return true;
    }
    return false;
}

} // namespace

bool SelectorMatcher::matches(const CompiledSelector& selector, int element)
{
    // Names some ancestor must carry: checking that one does is cheaper than the match.
    if (selector.ancestorBegin < selector.ancestorEnd) {
        const std::vector<int>& needed = m_rules.ancestorAtoms();
        for (std::uint32_t i = selector.ancestorBegin; i < selector.ancestorEnd; ++i) {
            const int atom = needed[i];
            if (m_ancestorCounts) {
                ++m_work;
                if ((*m_ancestorCounts)[std::size_t(atom)] == 0)
                    return false;
                continue;
            }
            bool found = false;
            for (int a = m_tree.parent(element); a >= 0 && !found; a = m_tree.parent(a)) {
                ++m_work;
                found = m_tree.tag(a) == atom || m_tree.id(a) == atom || m_tree.hasClass(a, atom);
            }
            if (!found)
                return false;
        }
    }
    return match(selector, selector.compoundBegin, element) == Result::Matches;
}

SelectorMatcher::Result SelectorMatcher::match(const CompiledSelector& selector,
                                               std::uint32_t compound, int element)
{
    if (isSpent())
        return Result::FailsCompletely;
    ++m_work;
    if (!compoundMatches(m_rules.compounds()[compound], element))
        return Result::FailsHere;
    const std::uint32_t next = compound + 1;
    if (next >= selector.compoundEnd)
        return Result::Matches;
    switch (selector.source->combinators[compound - selector.compoundBegin]) {
    case Combinator::Child: {
        const int parent = m_tree.parent(element);
        if (parent < 0)
            return Result::FailsCompletely;
        const Result r = match(selector, next, parent);
        return r == Result::Matches ? r : r == Result::FailsCompletely ? r : Result::FailsHere;
    }
    case Combinator::Descendant:
        for (int a = m_tree.parent(element); a >= 0; a = m_tree.parent(a)) {
            const Result r = match(selector, next, a);
            if (r == Result::Matches || r == Result::FailsCompletely)
                return r;
        }
        return Result::FailsCompletely;
    case Combinator::NextSibling: {
        const int sibling = m_tree.previousSibling(element);
        if (sibling < 0)
            return Result::FailsAllSiblings;
        return match(selector, next, sibling);
    }
    case Combinator::SubsequentSibling:
        for (int s = m_tree.previousSibling(element); s >= 0; s = m_tree.previousSibling(s)) {
            const Result r = match(selector, next, s);
            if (r != Result::FailsHere)
                return r;
        }
        return Result::FailsAllSiblings;
    }
    return Result::FailsHere;
}

bool SelectorMatcher::compoundMatches(const CompiledCompound& c, int element)
{
    if (c.source->isAnchor)
        return element == m_anchor;
    if (c.tag != kNoAtom && m_tree.tag(element) != c.tag)
        return false;
    if (c.id != kNoAtom && m_tree.id(element) != c.id)
        return false;
    const std::vector<int>& classes = m_rules.classAtoms();
    for (std::uint32_t i = c.classBegin; i < c.classEnd; ++i) {
        if (!m_tree.hasClass(element, classes[i]))
            return false;
    }
    for (const AttributeTest& test : c.source->attributes) {
        if (!attributeMatches(test, element))
            return false;
    }
    const std::vector<CompiledPseudo>& pseudos = m_rules.pseudos();
    for (std::uint32_t i = c.pseudoBegin; i < c.pseudoEnd; ++i) {
        if (!pseudoMatches(pseudos[i], element))
            return false;
    }
    return true;
}

bool SelectorMatcher::attributeMatches(const AttributeTest& test, int element) const
{
    const char* value = attributeOf(m_tree.node(element), test.name.constData());
    if (value == nullptr)
        return false;
    const qsizetype size = qsizetype(std::strlen(value));
    const QByteArray& v = test.value;
    const bool ic = test.ignoreCase;
    switch (test.match) {
    case AttributeMatch::Exists:
        return true;
    case AttributeMatch::Equals:
        return size == v.size() && sameBytes(value, v, size, ic);
    case AttributeMatch::DashMatch:
        return (size == v.size() || (size > v.size() && value[v.size()] == '-')) &&
               sameBytes(value, v, v.size(), ic);
    case AttributeMatch::Prefix:
        return !v.isEmpty() && size >= v.size() && sameBytes(value, v, v.size(), ic);
    case AttributeMatch::Suffix:
        return !v.isEmpty() && size >= v.size() &&
               sameBytes(value + size - v.size(), v, v.size(), ic);
    case AttributeMatch::Substring:
        for (qsizetype i = 0; !v.isEmpty() && i + v.size() <= size; ++i) {
            if (sameBytes(value + i, v, v.size(), ic))
                return true;
        }
        return false;
    case AttributeMatch::Includes:
        if (v.isEmpty() || v.contains(' '))
            return false;
        for (qsizetype i = 0; i < size;) {
            while (i < size && isSpace(value[i]))
                ++i;
            qsizetype j = i;
            while (j < size && !isSpace(value[j]))
                ++j;
            if (j - i == v.size() && sameBytes(value + i, v, v.size(), ic))
                return true;
            i = j;
        }
        return false;
    }
    return false;
}

bool SelectorMatcher::anyInList(const CompiledPseudo& p, int element)
{
    const std::vector<std::uint32_t>& entries = m_rules.listEntries();
    for (std::uint32_t i = p.listBegin; i < p.listEnd; ++i) {
        const CompiledSelector& s = m_rules.selectors()[entries[i]];
        if (match(s, s.compoundBegin, element) == Result::Matches)
            return true;
    }
    return false;
}

bool SelectorMatcher::nth(const CompiledPseudo& p, int element, bool fromEnd, bool ofType)
{
    int position = 0;
    if (p.listBegin < p.listEnd) {
        // :nth-child(An+B of S): the place among the siblings that match S.
        if (!anyInList(p, element))
            return false;
        const int parent = m_tree.parent(element);
        int s = fromEnd ? element : (parent >= 0 ? parent + 1 : element);
        const int stop = fromEnd ? -1 : m_tree.end(element);
        for (; s >= 0 && s != stop; s = fromEnd ? m_tree.nextSibling(s) : m_tree.end(s)) {
            ++m_work;
            if (anyInList(p, s))
                ++position;
            if (!fromEnd && s == element)
                break;
        }
    } else if (ofType) {
        position = fromEnd ? m_tree.typeSiblings(element) - m_tree.typePosition(element) + 1
                           : m_tree.typePosition(element);
    } else {
        position = fromEnd ? m_tree.siblings(element) - m_tree.position(element) + 1
                           : m_tree.position(element);
    }
    const int a = p.source->a;
    const int b = p.source->b;
    if (a == 0)
        return position == b;
    const int diff = position - b;
    return diff % a == 0 && diff / a >= 0;
}

bool SelectorMatcher::has(const CompiledPseudo& p, int element)
{
    const std::vector<std::uint32_t>& entries = m_rules.listEntries();
    const int saved = m_anchor;
    bool found = false;
    for (std::uint32_t i = p.listBegin; i < p.listEnd && !found; ++i) {
        const CompiledSelector& s = m_rules.selectors()[entries[i]];
        const std::size_t n = s.source->compounds.size();
        if (n < 2)
            continue;
        const Combinator relation = s.source->combinators[n - 2];
        const bool below = relation == Combinator::Descendant || relation == Combinator::Child;
        const int parent = m_tree.parent(element);
        const int begin = below ? element + 1 : m_tree.end(element);
        const int end = below ? m_tree.end(element) : (parent >= 0 ? m_tree.end(parent) : begin);
        m_anchor = element;
        for (int d = begin; d < end && !found && !isSpent(); ++d)
            found = match(s, s.compoundBegin, d) == Result::Matches;
    }
    m_anchor = saved;
    return found;
}

bool SelectorMatcher::pseudoMatches(const CompiledPseudo& p, int element)
{
    const GumboNode* node = m_tree.node(element);
    switch (p.source->kind) {
    case PseudoClass::Never:
        return false;
    case PseudoClass::Root:
        return m_tree.parent(element) < 0;
    case PseudoClass::Empty: {
        const GumboVector& children = node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) {
            if (static_cast<const GumboNode*>(children.data[i])->type != GUMBO_NODE_COMMENT)
                return false;
        }
        return true;
    }
    case PseudoClass::FirstChild:
        return m_tree.position(element) == 1;
    case PseudoClass::LastChild:
        return m_tree.position(element) == m_tree.siblings(element);
    case PseudoClass::OnlyChild:
        return m_tree.siblings(element) == 1;
    case PseudoClass::FirstOfType:
        return m_tree.typePosition(element) == 1;
    case PseudoClass::LastOfType:
        return m_tree.typePosition(element) == m_tree.typeSiblings(element);
    case PseudoClass::OnlyOfType:
        return m_tree.typeSiblings(element) == 1;
    case PseudoClass::NthChild:
        return nth(p, element, false, false);
    case PseudoClass::NthLastChild:
        return nth(p, element, true, false);
    case PseudoClass::NthOfType:
        return nth(p, element, false, true);
    case PseudoClass::NthLastOfType:
        return nth(p, element, true, true);
    case PseudoClass::AnyLink:
        return (isHtml(node, GUMBO_TAG_A) || isHtml(node, GUMBO_TAG_AREA) ||
                isHtml(node, GUMBO_TAG_LINK)) &&
               attributeOf(node, "href");
    case PseudoClass::Checked:
        return (isHtml(node, GUMBO_TAG_INPUT) && attributeOf(node, "checked")) ||
               (isHtml(node, GUMBO_TAG_OPTION) && attributeOf(node, "selected"));
    case PseudoClass::Disabled:
        return isFormControl(node) && attributeOf(node, "disabled");
    case PseudoClass::Enabled:
        return isFormControl(node) && !attributeOf(node, "disabled");
    case PseudoClass::Required:
    case PseudoClass::Optional: {
        const bool control = isHtml(node, GUMBO_TAG_INPUT) || isHtml(node, GUMBO_TAG_SELECT) ||
                             isHtml(node, GUMBO_TAG_TEXTAREA);
        const bool required = attributeOf(node, "required") != nullptr;
        return control && (p.source->kind == PseudoClass::Required ? required : !required);
    }
    case PseudoClass::ReadWrite:
        return isReadWrite(node);
    case PseudoClass::ReadOnly:
        return !isReadWrite(node);
    case PseudoClass::PlaceholderShown: {
        if (!attributeOf(node, "placeholder"))
            return false;
        if (isTextInput(node)) {
            const char* value = attributeOf(node, "value");
            return value == nullptr || *value == '\0';
        }
        return isHtml(node, GUMBO_TAG_TEXTAREA) && node->v.element.children.length == 0;
    }
    case PseudoClass::Defined: {
        const GumboElement& el = node->v.element;
        if (el.tag_namespace != GUMBO_NAMESPACE_HTML || el.tag != GUMBO_TAG_UNKNOWN)
            return true;
        // A custom element is defined by a script, and scripts do not run.
        GumboStringPiece name = el.original_tag;
        if (name.data == nullptr)
            return true;
        gumbo_tag_from_original_text(&name);
        return !QByteArrayView(name.data, qsizetype(name.length)).contains('-');
    }
    case PseudoClass::Open:
        // gumbo does not know dialog: its name tells.
        return (isHtml(node, GUMBO_TAG_DETAILS) ||
                m_tree.tag(element) == m_tree.tagAtom("dialog")) &&
               attributeOf(node, "open");
    case PseudoClass::Lang:
        return langMatches(m_tree.lang(element), p.source->argument);
    case PseudoClass::Dir: {
        bool rtl = false;
        for (int a = element; a >= 0; a = m_tree.parent(a)) {
            ++m_work;
            if (const char* dir = attributeOf(m_tree.node(a), "dir")) {
                if (strcasecmp(dir, "rtl") == 0 || strcasecmp(dir, "ltr") == 0) {
                    rtl = strcasecmp(dir, "rtl") == 0;
                    break;
                }
            }
        }
        return (p.source->argument == "rtl") == rtl;
    }
    case PseudoClass::Not:
        return !anyInList(p, element);
    case PseudoClass::Is:
        return anyInList(p, element);
    case PseudoClass::Has:
        return has(p, element);
    }
    return false;
}

} // namespace tv::css
