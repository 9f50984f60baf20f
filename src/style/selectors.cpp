#include "style/selectors.h"

#include <algorithm>
#include <optional>

namespace tv::css {

namespace {

// :is(:not(:is(...))) deeper than this is refused: real sheets nest two or three levels.
constexpr int kMaxNesting = 8;
// Nor is a selector of more compounds than this a real one (matching it recurses per compound).
constexpr std::size_t kMaxCompounds = 64;

// Attributes whose values HTML compares without letter case.
bool valueIgnoresCase(QByteArrayView name)
{
    static const char* const names[] = {
        "accept",     "accept-charset", "align",     "alink",    "axis",     "bgcolor", "charset",
        "checked",    "clear",          "codetype",  "color",    "compact",  "declare", "defer",
        "dir",        "direction",      "disabled",  "enctype",  "face",     "frame",   "hreflang",
        "http-equiv", "lang",           "language",  "link",     "media",    "method",  "multiple",
        "nohref",     "noresize",       "noshade",   "nowrap",   "readonly", "rel",     "rev",
        "rules",      "scope",          "scrolling", "selected", "shape",    "target",  "text",
        "type",       "valign",         "valuetype", "vlink"};
    for (const char* n : names) {
        if (name == n)
            return true;
    }
    return false;
}

struct Specificity {
    std::uint32_t value = 0;
};

class Parser : TokenCursor {
public:
    Parser(const std::vector<Token>& tokens, qsizetype begin, qsizetype end, int depth)
        : TokenCursor(tokens, begin, end), m_depth(depth)
    {
    }

    // A comma-separated list from begin to end. Forgiving lists drop the entries they cannot
    // read; others fail as a whole (nullopt). Relative lists (:has) may start with a combinator.
    std::optional<std::vector<ComplexSelector>> list(bool forgiving, bool relative);

private:
    // The end of the argument whose '(' was just read: the matching ')'.
    qsizetype argumentEnd() const;

    std::optional<ComplexSelector> complex(bool relative);
    // Reads one compound into `c`; false when what follows is not a valid compound.
    bool compound(Compound& c, ComplexSelector& owner);
    bool attribute(Compound& c, ComplexSelector& owner);
    bool pseudo(Compound& c, ComplexSelector& owner);
    bool functionalPseudo(QByteArrayView name, PseudoTest& test, std::uint32_t& specificity);
    std::optional<std::pair<int, int>> anPlusB(qsizetype begin, qsizetype end) const;

    int m_depth;
};

qsizetype Parser::argumentEnd() const
{
    return closingParen(m_pos, 1);
}

std::optional<std::vector<ComplexSelector>> Parser::list(bool forgiving, bool relative)
{
    std::vector<ComplexSelector> out;
    while (!atEnd()) {
        // This entry runs to the next comma outside parentheses.
        qsizetype stop = m_pos;
        int depth = 0;
        for (; stop < m_end; ++stop) {
            const Token& t = m_t[std::size_t(stop)];
            if (t.is(TokenType::OpenParen) || t.is(TokenType::Function) ||
                t.is(TokenType::OpenSquare))
                ++depth;
            else if (t.is(TokenType::CloseParen) || t.is(TokenType::CloseSquare))
                depth = std::max(0, depth - 1);
            else if (depth == 0 && t.is(TokenType::Comma))
                break;
        }
        Parser entry(m_t, m_pos, stop, m_depth);
        std::optional<ComplexSelector> selector = entry.complex(relative);
        if (selector)
            out.push_back(std::move(*selector));
        else if (!forgiving)
            return std::nullopt;
        m_pos = stop < m_end ? stop + 1 : stop;
    }
    if (out.empty() && !forgiving)
        return std::nullopt;
    return out;
}

std::optional<Combinator> combinatorOf(const Token& t)
{
    if (t.isDelim('>'))
        return Combinator::Child;
    if (t.isDelim('+'))
        return Combinator::NextSibling;
    if (t.isDelim('~'))
        return Combinator::SubsequentSibling;
    return std::nullopt;
}

std::optional<ComplexSelector> Parser::complex(bool relative)
{
    ComplexSelector sel;
    std::vector<Compound> leftToRight;
    std::vector<Combinator> joins; // joins[i] between leftToRight[i] and leftToRight[i + 1]
    skipWhitespace();
    if (relative) {
        Compound anchor;
        anchor.isAnchor = true;
        leftToRight.push_back(anchor);
        const std::optional<Combinator> first = combinatorOf(peek());
        joins.push_back(first.value_or(Combinator::Descendant));
        if (first) {
            ++m_pos;
            skipWhitespace();
        }
    }
    for (;;) {
        Compound c;
        if (!compound(c, sel))
            return std::nullopt;
        leftToRight.push_back(std::move(c));
        if (leftToRight.size() > kMaxCompounds)
            return std::nullopt;
        const bool spaced = !atEnd() && peek().is(TokenType::Whitespace);
        skipWhitespace();
        if (atEnd())
            break;
        if (sel.pseudoElement)
            return std::nullopt; // nothing follows a pseudo-element
        std::optional<Combinator> join = combinatorOf(peek());
        if (join) {
            ++m_pos;
            skipWhitespace();
        } else if (spaced) {
            join = Combinator::Descendant;
        } else {
            return std::nullopt;
        }
        joins.push_back(*join);
        if (atEnd())
            return std::nullopt;
    }
    sel.compounds.assign(leftToRight.rbegin(), leftToRight.rend());
    sel.combinators.assign(joins.rbegin(), joins.rend());
    return sel;
}

bool Parser::compound(Compound& c, ComplexSelector& owner)
{
    bool any = false;
    // A type or the universal selector, with an optional namespace prefix.
    const Token& first = peek();
    if (first.is(TokenType::Ident) || first.isDelim('*') || first.isDelim('|')) {
        QByteArray name;
        bool universal = first.isDelim('*');
        if (!first.isDelim('|')) {
            name = first.is(TokenType::Ident) ? toLowerAscii(first.text) : QByteArray();
            ++m_pos;
        }
        if (!atEnd() && peek().isDelim('|') && m_pos + 1 < m_end &&
            !m_t[std::size_t(m_pos + 1)].isDelim('=')) {
            // Only "*|" (any namespace) is understood; a named namespace is refused.
            if (!universal && !name.isEmpty())
                return false;
            ++m_pos;
            const Token& local = peek();
            if (local.is(TokenType::Ident)) {
                name = toLowerAscii(local.text);
                universal = false;
            } else if (local.isDelim('*')) {
                universal = true;
            } else {
                return false;
            }
            ++m_pos;
        }
        if (!universal) {
            c.tag = name;
            owner.specificity = addSpecificity(owner.specificity, kTypeSpecificity);
        }
        any = true;
    }
    while (!atEnd()) {
        const Token& t = peek();
        if (t.is(TokenType::Hash)) {
            if (!t.hashIsId || owner.pseudoElement)
                return false;
            if (!c.id.isEmpty() && c.id != t.text)
                c.pseudos.push_back(PseudoTest{}); // #a#b: never matches
            c.id = QByteArray(t.text.data(), t.text.size());
            owner.specificity = addSpecificity(owner.specificity, kIdSpecificity);
            ++m_pos;
        } else if (t.isDelim('.')) {
            ++m_pos;
            if (atEnd() || !peek().is(TokenType::Ident) || owner.pseudoElement)
                return false;
            c.classes.emplace_back(peek().text.data(), peek().text.size());
            owner.specificity = addSpecificity(owner.specificity, kClassSpecificity);
            ++m_pos;
        } else if (t.is(TokenType::OpenSquare)) {
            ++m_pos;
            if (owner.pseudoElement || !attribute(c, owner))
                return false;
        } else if (t.is(TokenType::Colon)) {
            ++m_pos;
            if (!pseudo(c, owner))
                return false;
        } else {
            break;
        }
        any = true;
    }
    return any;
}

bool Parser::attribute(Compound& c, ComplexSelector& owner)
{
    AttributeTest test;
    skipWhitespace();
    if (!atEnd() && peek().isDelim('*') && m_pos + 1 < m_end &&
        m_t[std::size_t(m_pos + 1)].isDelim('|'))
        m_pos += 2; // *|name
    if (atEnd() || !peek().is(TokenType::Ident))
        return false;
    test.name = toLowerAscii(peek().text);
    ++m_pos;
    skipWhitespace();
    if (atEnd())
        return false;
    if (peek().is(TokenType::CloseSquare)) {
        ++m_pos;
    } else {
        const Token& op = peek();
        if (op.isDelim('=')) {
            test.match = AttributeMatch::Equals;
            ++m_pos;
        } else {
            const bool hasEquals = m_pos + 1 < m_end && m_t[std::size_t(m_pos + 1)].isDelim('=');
            if (!hasEquals)
                return false;
            if (op.isDelim('~'))
                test.match = AttributeMatch::Includes;
            else if (op.isDelim('|'))
                test.match = AttributeMatch::DashMatch;
            else if (op.isDelim('^'))
                test.match = AttributeMatch::Prefix;
            else if (op.isDelim('$'))
                test.match = AttributeMatch::Suffix;
            else if (op.isDelim('*'))
                test.match = AttributeMatch::Substring;
            else
                return false;
            m_pos += 2;
        }
        skipWhitespace();
        if (atEnd() || !(peek().is(TokenType::Ident) || peek().is(TokenType::String)))
            return false;
        test.value = QByteArray(peek().text.data(), peek().text.size());
        ++m_pos;
        skipWhitespace();
        test.ignoreCase = valueIgnoresCase(test.name);
        if (!atEnd() && peek().is(TokenType::Ident)) {
            if (peek().isIdent("i"))
                test.ignoreCase = true;
            else if (peek().isIdent("s"))
                test.ignoreCase = false;
            else
                return false;
            ++m_pos;
            skipWhitespace();
        }
        if (atEnd() || !peek().is(TokenType::CloseSquare))
            return false;
        ++m_pos;
    }
    if (test.ignoreCase)
        test.value = toLowerAscii(test.value);
    c.attributes.push_back(std::move(test));
    owner.specificity = addSpecificity(owner.specificity, kClassSpecificity);
    return true;
}

std::optional<PseudoClass> simplePseudo(QByteArrayView name)
{
    struct Entry {
        const char* name;
        PseudoClass kind;
    };
    static const Entry entries[] = {
        {"root", PseudoClass::Root},
        {"scope", PseudoClass::Root},
        {"empty", PseudoClass::Empty},
        {"first-child", PseudoClass::FirstChild},
        {"last-child", PseudoClass::LastChild},
        {"only-child", PseudoClass::OnlyChild},
        {"first-of-type", PseudoClass::FirstOfType},
        {"last-of-type", PseudoClass::LastOfType},
        {"only-of-type", PseudoClass::OnlyOfType},
        {"link", PseudoClass::AnyLink},
        {"any-link", PseudoClass::AnyLink},
        {"-webkit-any-link", PseudoClass::AnyLink},
        {"checked", PseudoClass::Checked},
        {"disabled", PseudoClass::Disabled},
        {"enabled", PseudoClass::Enabled},
        {"required", PseudoClass::Required},
        {"optional", PseudoClass::Optional},
        {"read-only", PseudoClass::ReadOnly},
        {"read-write", PseudoClass::ReadWrite},
        {"placeholder-shown", PseudoClass::PlaceholderShown},
        {"defined", PseudoClass::Defined},
        {"open", PseudoClass::Open},
    };
    for (const Entry& e : entries) {
        if (equalsLower(name, e.name))
            return e.kind;
    }
    // States a reader of a static page never brings about.
    static const char* const never[] = {"hover",
                                        "active",
                                        "focus",
                                        "focus-within",
                                        "focus-visible",
                                        "visited",
                                        "target",
                                        "target-within",
                                        "current",
                                        "past",
                                        "future",
                                        "playing",
                                        "paused",
                                        "seeking",
                                        "buffering",
                                        "stalled",
                                        "muted",
                                        "volume-locked",
                                        "autofill",
                                        "-webkit-autofill",
                                        "modal",
                                        "fullscreen",
                                        "-webkit-full-screen",
                                        "picture-in-picture",
                                        "popover-open",
                                        "user-invalid",
                                        "user-valid",
                                        "invalid",
                                        "valid",
                                        "indeterminate",
                                        "default",
                                        "in-range",
                                        "out-of-range",
                                        "blank",
                                        "local-link",
                                        "host",
                                        "closed",
                                        "-webkit-full-page-media",
                                        "window-inactive",
                                        "-webkit-drag"};
    for (const char* n : never) {
        if (equalsLower(name, n))
            return PseudoClass::Never;
    }
    return std::nullopt;
}

bool isLegacyPseudoElement(QByteArrayView name)
{
    return equalsLower(name, "before") || equalsLower(name, "after") ||
           equalsLower(name, "first-line") || equalsLower(name, "first-letter");
}

bool Parser::pseudo(Compound& c, ComplexSelector& owner)
{
    if (atEnd())
        return false;
    if (peek().is(TokenType::Colon)) {
        // A pseudo-element. Unknown ones make the selector invalid, except the -webkit- ones a
        // browser of that family accepts.
        ++m_pos;
        const Token& t = peek();
        if (!(t.is(TokenType::Ident) || t.is(TokenType::Function)))
            return false;
        static const char* const known[] = {"before",
                                            "after",
                                            "first-line",
                                            "first-letter",
                                            "marker",
                                            "placeholder",
                                            "selection",
                                            "backdrop",
                                            "file-selector-button",
                                            "cue",
                                            "part",
                                            "slotted",
                                            "highlight",
                                            "spelling-error",
                                            "grammar-error",
                                            "target-text",
                                            "view-transition",
                                            "details-content"};
        bool ok = t.text.startsWith("-webkit-");
        for (const char* n : known)
            ok = ok || equalsLower(t.text, n);
        if (!ok || owner.pseudoElement)
            return false;
        if (t.is(TokenType::Function)) {
            ++m_pos;
            const qsizetype end = argumentEnd();
            if (end < 0)
                return false;
            m_pos = end;
        }
        ++m_pos;
        owner.pseudoElement = true;
        return true;
    }
    const Token& t = peek();
    if (t.is(TokenType::Ident)) {
        ++m_pos;
        if (isLegacyPseudoElement(t.text)) {
            owner.pseudoElement = true;
            return true;
        }
        const std::optional<PseudoClass> kind = simplePseudo(t.text);
        if (!kind)
            return false;
        if (owner.pseudoElement && *kind != PseudoClass::Never)
            return false;
        PseudoTest test;
        test.kind = *kind;
        c.pseudos.push_back(std::move(test));
        owner.specificity = addSpecificity(owner.specificity, kClassSpecificity);
        return true;
    }
    if (!t.is(TokenType::Function) || owner.pseudoElement)
        return false;
    const QByteArrayView name = t.text;
    ++m_pos;
    const qsizetype end = argumentEnd();
    if (end < 0)
        return false;
    PseudoTest test;
    std::uint32_t specificity = 0;
    Parser inner(m_t, m_pos, end, m_depth + 1);
    const bool ok = m_depth < kMaxNesting && inner.functionalPseudo(name, test, specificity);
    m_pos = end + 1;
    if (!ok)
        return false;
    c.pseudos.push_back(std::move(test));
    owner.specificity = addSpecificity(owner.specificity, specificity);
    return true;
}

std::uint32_t highest(const std::vector<ComplexSelector>& list)
{
    std::uint32_t best = 0;
    for (const ComplexSelector& s : list)
        best = std::max(best, s.specificity);
    return best;
}

bool Parser::functionalPseudo(QByteArrayView name, PseudoTest& test, std::uint32_t& specificity)
{
    skipWhitespace();
    if (equalsLower(name, "not")) {
        auto l = list(false, false);
        if (!l)
            return false;
        test.kind = PseudoClass::Not;
        specificity = highest(*l);
        test.list = std::move(*l);
        return true;
    }
    const bool where = equalsLower(name, "where");
    if (where || equalsLower(name, "is") || equalsLower(name, "matches") ||
        equalsLower(name, "-webkit-any")) {
        auto l = list(true, false);
        test.kind = PseudoClass::Is;
        specificity = where ? 0 : highest(*l);
        test.list = std::move(*l);
        return true;
    }
    if (equalsLower(name, "has")) {
        auto l = list(false, true);
        if (!l)
            return false;
        test.kind = PseudoClass::Has;
        specificity = highest(*l);
        test.list = std::move(*l);
        return true;
    }
    struct Nth {
        const char* name;
        PseudoClass kind;
        bool takesOf;
    };
    static const Nth nths[] = {{"nth-child", PseudoClass::NthChild, true},
                               {"nth-last-child", PseudoClass::NthLastChild, true},
                               {"nth-of-type", PseudoClass::NthOfType, false},
                               {"nth-last-of-type", PseudoClass::NthLastOfType, false}};
    for (const Nth& n : nths) {
        if (!equalsLower(name, n.name))
            continue;
        qsizetype stop = m_pos;
        while (stop < m_end && !m_t[std::size_t(stop)].isIdent("of"))
            ++stop;
        const auto ab = anPlusB(m_pos, stop);
        if (!ab)
            return false;
        test.kind = n.kind;
        test.a = ab->first;
        test.b = ab->second;
        specificity = kClassSpecificity;
        if (stop < m_end) {
            if (!n.takesOf)
                return false;
            m_pos = stop + 1;
            skipWhitespace();
            auto l = list(false, false);
            if (!l)
                return false;
            specificity = addSpecificity(specificity, highest(*l));
            test.list = std::move(*l);
        }
        return true;
    }
    if (equalsLower(name, "lang")) {
        QByteArray ranges;
        for (; !atEnd(); ++m_pos) {
            const Token& t = peek();
            if (t.is(TokenType::Ident) || t.is(TokenType::String)) {
                if (!ranges.isEmpty())
                    ranges += ',';
                ranges += toLowerAscii(t.text);
            } else if (!t.is(TokenType::Whitespace) && !t.is(TokenType::Comma)) {
                return false;
            }
        }
        if (ranges.isEmpty())
            return false;
        test.kind = PseudoClass::Lang;
        test.argument = ranges;
        specificity = kClassSpecificity;
        return true;
    }
    if (equalsLower(name, "dir")) {
        if (atEnd() || !(peek().isIdent("ltr") || peek().isIdent("rtl")))
            return false;
        test.kind = PseudoClass::Dir;
        test.argument = toLowerAscii(peek().text);
        specificity = kClassSpecificity;
        return true;
    }
    if (equalsLower(name, "host") || equalsLower(name, "host-context") ||
        equalsLower(name, "state")) {
        test.kind = PseudoClass::Never;
        specificity = kClassSpecificity;
        return true;
    }
    return false;
}

bool allDigits(QByteArrayView s)
{
    return !s.isEmpty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<int> toInt(QByteArrayView s)
{
    int sign = 1;
    if (!s.isEmpty() && (s[0] == '+' || s[0] == '-')) {
        sign = s[0] == '-' ? -1 : 1;
        s = s.sliced(1);
    }
    if (!allDigits(s) || s.size() > 9)
        return std::nullopt;
    int v = 0;
    for (char c : s)
        v = v * 10 + (c - '0');
    return sign * v;
}

std::optional<std::pair<int, int>> Parser::anPlusB(qsizetype begin, qsizetype end) const
{
    // The tokens written out again without white space: "2n+1", "-n+3", "odd", "5".
    QByteArray s;
    for (qsizetype i = begin; i < end; ++i) {
        const Token& t = m_t[std::size_t(i)];
        switch (t.type) {
        case TokenType::Whitespace:
            break;
        case TokenType::Ident:
        case TokenType::Delim:
            s += toLowerAscii(t.text);
            break;
        case TokenType::Number:
        case TokenType::Dimension:
            if (!t.integer || t.number > 1e9 || t.number < -1e9)
                return std::nullopt;
            if (t.number >= 0 && t.explicitSign)
                s += '+';
            s += QByteArray::number(qint64(t.number));
            if (t.type == TokenType::Dimension)
                s += toLowerAscii(t.text);
            break;
        default:
            return std::nullopt;
        }
    }
    if (s == "odd")
        return std::pair(2, 1);
    if (s == "even")
        return std::pair(2, 0);
    const qsizetype n = s.indexOf('n');
    if (n < 0) {
        const auto b = toInt(s);
        return b ? std::optional(std::pair(0, *b)) : std::nullopt;
    }
    const QByteArray aText = s.left(n);
    const QByteArray bText = s.mid(n + 1);
    int a = 0;
    if (aText.isEmpty() || aText == "+")
        a = 1;
    else if (aText == "-")
        a = -1;
    else if (const auto v = toInt(aText))
        a = *v;
    else
        return std::nullopt;
    int b = 0;
    if (!bText.isEmpty()) {
        if (bText[0] != '+' && bText[0] != '-')
            return std::nullopt;
        const auto v = toInt(bText);
        if (!v)
            return std::nullopt;
        b = *v;
    }
    return std::pair(a, b);
}

} // namespace

std::uint32_t addSpecificity(std::uint32_t a, std::uint32_t b)
{
    auto part = [](std::uint32_t v, int shift) { return (v >> shift) & 1023u; };
    std::uint32_t out = 0;
    for (int shift : {20, 10, 0})
        out |= std::min(1023u, part(a, shift) + part(b, shift)) << shift;
    return out;
}

std::vector<ComplexSelector> parseSelectorList(const std::vector<Token>& prelude)
{
    Parser parser(prelude, 0, qsizetype(prelude.size()), 0);
    auto list = parser.list(false, false);
    return list ? std::move(*list) : std::vector<ComplexSelector>();
}

} // namespace tv::css
