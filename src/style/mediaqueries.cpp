#include "style/mediaqueries.h"

#include <cmath>
#include <optional>

namespace tv::css {

namespace {

// Parentheses nested deeper than this make a query that does not apply.
constexpr int kMaxDepth = 32;

// Media Queries Level 4 reads conditions in three values: a feature it does not know is neither
// true nor false, and a query that is not true does not apply.
enum class Truth { False, True, Unknown };

Truth negate(Truth t)
{
    return t == Truth::Unknown ? t : (t == Truth::True ? Truth::False : Truth::True);
}

Truth fromBool(bool b)
{
    return b ? Truth::True : Truth::False;
}

struct Value {
    enum Kind { Number, Length, Resolution, Ratio, Ident } kind = Number;
    double number = 0; // lengths in px, resolutions in dppx, ratios as a quotient
    QByteArray ident;
};

using Tokens = std::vector<Token>;

class Evaluator : TokenCursor {
public:
    Evaluator(const Tokens& t, qsizetype begin, qsizetype end, const Viewport& v, int depth)
        : TokenCursor(t, begin, end), m_v(v), m_depth(depth)
    {
    }

    bool query();
    Truth condition(bool allowOr);

private:
    qsizetype closing(qsizetype open) const;
    Truth inParens();
    Truth feature(qsizetype begin, qsizetype end) const;
    std::optional<Value> value(qsizetype& pos, qsizetype end) const;
    Truth plain(QByteArrayView name, const Value& v) const;
    Truth range(QByteArrayView name, char op, bool orEqual, const Value& v, bool nameOnLeft) const;
    std::optional<Value> featureValue(QByteArrayView name) const;

    const Viewport& m_v;
    int m_depth;
};

qsizetype Evaluator::closing(qsizetype open) const
{
    return closingParen(open, 0);
}

bool isMediaType(QByteArrayView name)
{
    static const char* const types[] = {"all",     "screen",   "print",      "speech",
                                        "tty",     "tv",       "projection", "handheld",
                                        "braille", "embossed", "aural"};
    for (const char* t : types) {
        if (equalsLower(name, t))
            return true;
    }
    return false;
}

bool Evaluator::query()
{
    skipWhitespace();
    if (atEnd())
        return false; // an empty entry in a list ("a, , b") is "not all"
    bool negated = false;
    const Token& first = peek();
    if (first.is(TokenType::Ident) && !first.isIdent("not") && !isMediaType(first.text) &&
        !first.isIdent("only")) {
        return false; // an unknown media type
    }
    if (first.is(TokenType::Ident) && (first.isIdent("not") || first.isIdent("only"))) {
        qsizetype p = m_pos + 1;
        while (p < m_end && m_t[std::size_t(p)].is(TokenType::Whitespace))
            ++p;
        if (p < m_end && m_t[std::size_t(p)].is(TokenType::Ident)) {
            negated = first.isIdent("not");
            m_pos = p;
        } else if (first.isIdent("only")) {
            return false;
        }
    }
    if (!atEnd() && peek().is(TokenType::Ident) && !peek().isIdent("not")) {
        const Token& type = peek();
        if (!isMediaType(type.text))
            return false;
        const bool typeMatches = type.isIdent("all") || type.isIdent("screen");
        ++m_pos;
        skipWhitespace();
        Truth result = fromBool(typeMatches);
        if (!atEnd()) {
            if (!peek().isIdent("and"))
                return false;
            ++m_pos;
            skipWhitespace();
            result = result == Truth::True ? condition(false) : result;
            if (result == Truth::False && !atEnd())
                condition(false); // still read, so that a malformed rest is caught
        }
        if (!atEnd())
            return false;
        if (result == Truth::Unknown)
            return false;
        return negated ? result == Truth::False : result == Truth::True;
    }
    const Truth result = condition(true);
    skipWhitespace();
    return atEnd() && result == Truth::True;
}

Truth Evaluator::condition(bool allowOr)
{
    skipWhitespace();
    if (peek().isIdent("not")) {
        ++m_pos;
        skipWhitespace();
        return negate(inParens());
    }
    Truth result = inParens();
    skipWhitespace();
    bool sawAnd = false, sawOr = false;
    while (!atEnd()) {
        const bool isAnd = peek().isIdent("and");
        const bool isOr = peek().isIdent("or");
        if (!(isAnd || isOr) || (isOr && !allowOr) || (isAnd && sawOr) || (isOr && sawAnd))
            break;
        sawAnd = sawAnd || isAnd;
        sawOr = sawOr || isOr;
        ++m_pos;
        skipWhitespace();
        const Truth next = inParens();
        if (isAnd)
            result = (result == Truth::False || next == Truth::False) ? Truth::False
                     : (result == Truth::True && next == Truth::True) ? Truth::True
                                                                      : Truth::Unknown;
        else
            result = (result == Truth::True || next == Truth::True)     ? Truth::True
                     : (result == Truth::False && next == Truth::False) ? Truth::False
                                                                        : Truth::Unknown;
        skipWhitespace();
    }
    return result;
}

Truth Evaluator::inParens()
{
    skipWhitespace();
    if (atEnd())
        return Truth::Unknown;
    const Token& t = peek();
    if (t.is(TokenType::Function)) {
        const qsizetype close = closing(m_pos);
        m_pos = close < 0 ? m_end : close + 1;
        return Truth::Unknown; // general enclosed
    }
    if (!t.is(TokenType::OpenParen)) {
        m_pos = m_end;
        return Truth::Unknown;
    }
    const qsizetype close = closing(m_pos);
    if (close < 0 || m_depth >= kMaxDepth) {
        m_pos = m_end;
        return Truth::Unknown;
    }
    const qsizetype begin = m_pos + 1;
    m_pos = close + 1;
    // A nested condition starts with "(" or "not"; anything else is a feature.
    qsizetype p = begin;
    while (p < close && m_t[std::size_t(p)].is(TokenType::Whitespace))
        ++p;
    if (p < close &&
        (m_t[std::size_t(p)].is(TokenType::OpenParen) || m_t[std::size_t(p)].isIdent("not"))) {
        Evaluator inner(m_t, p, close, m_v, m_depth + 1);
        const Truth r = inner.condition(true);
        inner.skipWhitespace();
        return inner.atEnd() ? r : Truth::Unknown;
    }
    return feature(begin, close);
}

double lengthInPx(double n, QByteArrayView unit, const Viewport& v)
{
    struct U {
        const char* name;
        double px;
    };
    const U units[] = {{"px", 1},
                       {"em", 16},
                       {"rem", 16},
                       {"ex", 8},
                       {"ch", 8},
                       {"cap", 11},
                       {"ic", 16},
                       {"lh", 19.2},
                       {"rlh", 19.2},
                       {"vw", v.width / 100},
                       {"vh", v.height / 100},
                       {"vi", v.width / 100},
                       {"vb", v.height / 100},
                       {"vmin", std::min(v.width, v.height) / 100},
                       {"vmax", std::max(v.width, v.height) / 100},
                       {"cm", 96 / 2.54},
                       {"mm", 96 / 25.4},
                       {"q", 96 / 101.6},
                       {"in", 96},
                       {"pt", 96.0 / 72},
                       {"pc", 16}};
    for (const U& u : units) {
        if (equalsLower(unit, u.name))
            return n * u.px;
    }
    return std::nan("");
}

std::optional<Value> Evaluator::value(qsizetype& pos, qsizetype end) const
{
    while (pos < end && m_t[std::size_t(pos)].is(TokenType::Whitespace))
        ++pos;
    if (pos >= end)
        return std::nullopt;
    const Token& t = m_t[std::size_t(pos++)];
    Value v;
    if (t.is(TokenType::Ident)) {
        v.kind = Value::Ident;
        v.ident = toLowerAscii(t.text);
        return v;
    }
    if (t.is(TokenType::Dimension)) {
        for (const char* r : {"dpi", "dpcm", "dppx", "x"}) {
            if (equalsLower(t.text, r)) {
                v.kind = Value::Resolution;
                v.number = equalsLower(t.text, "dpi")    ? t.number / 96
                           : equalsLower(t.text, "dpcm") ? t.number * 2.54 / 96
                                                         : t.number;
                return v;
            }
        }
        v.kind = Value::Length;
        v.number = lengthInPx(t.number, t.text, m_v);
        if (std::isnan(v.number))
            return std::nullopt;
        return v;
    }
    if (!t.is(TokenType::Number))
        return std::nullopt;
    v.kind = Value::Number;
    v.number = t.number;
    // A ratio: number / number.
    qsizetype p = pos;
    while (p < end && m_t[std::size_t(p)].is(TokenType::Whitespace))
        ++p;
    if (p < end && m_t[std::size_t(p)].isDelim('/')) {
        ++p;
        while (p < end && m_t[std::size_t(p)].is(TokenType::Whitespace))
            ++p;
        if (p >= end || !m_t[std::size_t(p)].is(TokenType::Number))
            return std::nullopt;
        const double denominator = m_t[std::size_t(p)].number;
        v.kind = Value::Ratio;
        v.number = denominator == 0 ? INFINITY : t.number / denominator;
        pos = p + 1;
    }
    return v;
}

// The screen's own value of a feature; nullopt for a feature this reader does not know.
std::optional<Value> Evaluator::featureValue(QByteArrayView name) const
{
    auto number = [](Value::Kind kind, double n) {
        Value v;
        v.kind = kind;
        v.number = n;
        return std::optional(v);
    };
    auto ident = [](const char* s) {
        Value v;
        v.kind = Value::Ident;
        v.ident = s;
        return std::optional(v);
    };
    if (equalsLower(name, "width") || equalsLower(name, "device-width"))
        return number(Value::Length, m_v.width);
    if (equalsLower(name, "height") || equalsLower(name, "device-height"))
        return number(Value::Length, m_v.height);
    if (equalsLower(name, "aspect-ratio") || equalsLower(name, "device-aspect-ratio"))
        return number(Value::Ratio, m_v.width / m_v.height);
    if (equalsLower(name, "resolution"))
        return number(Value::Resolution, 1);
    if (equalsLower(name, "-webkit-device-pixel-ratio"))
        return number(Value::Number, 1);
    if (equalsLower(name, "color"))
        return number(Value::Number, 8);
    if (equalsLower(name, "color-index") || equalsLower(name, "monochrome") ||
        equalsLower(name, "grid"))
        return number(Value::Number, 0);
    if (equalsLower(name, "orientation"))
        return ident(m_v.width >= m_v.height ? "landscape" : "portrait");
    if (equalsLower(name, "hover") || equalsLower(name, "any-hover"))
        return ident("hover");
    if (equalsLower(name, "pointer") || equalsLower(name, "any-pointer"))
        return ident("fine");
    if (equalsLower(name, "prefers-color-scheme"))
        return ident("light");
    if (equalsLower(name, "prefers-reduced-motion") || equalsLower(name, "prefers-contrast") ||
        equalsLower(name, "prefers-reduced-transparency") ||
        equalsLower(name, "prefers-reduced-data"))
        return ident("no-preference");
    if (equalsLower(name, "forced-colors") || equalsLower(name, "inverted-colors") ||
        equalsLower(name, "scripting"))
        return ident("none");
    if (equalsLower(name, "update"))
        return ident("fast");
    if (equalsLower(name, "display-mode"))
        return ident("browser");
    if (equalsLower(name, "dynamic-range") || equalsLower(name, "video-dynamic-range"))
        return ident("standard");
    if (equalsLower(name, "overflow-block") || equalsLower(name, "overflow-inline"))
        return ident("scroll");
    if (equalsLower(name, "color-gamut"))
        return ident("srgb");
    return std::nullopt;
}

bool comparable(const Value& a, const Value& b)
{
    if (a.kind == b.kind)
        return true;
    // A bare 0 is a length; a bare number is a ratio of it to 1.
    if (a.kind == Value::Length && b.kind == Value::Number)
        return b.number == 0;
    if (a.kind == Value::Ratio && b.kind == Value::Number)
        return true;
    return false;
}

Truth Evaluator::plain(QByteArrayView name, const Value& v) const
{
    int bound = 0; // -1 max-, +1 min-
    QByteArrayView base = name;
    if (name.size() > 4 && equalsLower(name.first(4), "min-")) {
        bound = 1;
        base = name.sliced(4);
    } else if (name.size() > 4 && equalsLower(name.first(4), "max-")) {
        bound = -1;
        base = name.sliced(4);
    } else if (equalsLower(name, "-webkit-min-device-pixel-ratio")) {
        bound = 1;
        base = "-webkit-device-pixel-ratio";
    } else if (equalsLower(name, "-webkit-max-device-pixel-ratio")) {
        bound = -1;
        base = "-webkit-device-pixel-ratio";
    }
    const std::optional<Value> actual = featureValue(base);
    if (!actual)
        return Truth::Unknown;
    if (actual->kind == Value::Ident) {
        if (bound != 0 || v.kind != Value::Ident)
            return Truth::Unknown;
        return fromBool(v.ident == actual->ident);
    }
    if (!comparable(*actual, v))
        return Truth::False;
    const double a = actual->number;
    const double b = v.number;
    if (bound > 0)
        return fromBool(a >= b);
    if (bound < 0)
        return fromBool(a <= b);
    return fromBool(std::abs(a - b) < 1e-9);
}

Truth Evaluator::range(QByteArrayView name, char op, bool orEqual, const Value& v,
                       bool nameOnLeft) const
{
    const std::optional<Value> actual = featureValue(name);
    if (!actual || actual->kind == Value::Ident)
        return Truth::Unknown;
    if (!comparable(*actual, v))
        return Truth::False;
    double left = actual->number;
    double right = v.number;
    if (!nameOnLeft)
        std::swap(left, right);
    switch (op) {
    case '<':
        return fromBool(orEqual ? left <= right : left < right);
    case '>':
        return fromBool(orEqual ? left >= right : left > right);
    default:
        return fromBool(std::abs(left - right) < 1e-9);
    }
}

Truth Evaluator::feature(qsizetype begin, qsizetype end) const
{
    // "name", "name: value", or a range: "name op value", "value op name",
    // "value op name op value".
    std::vector<qsizetype> significant;
    for (qsizetype i = begin; i < end; ++i) {
        if (!m_t[std::size_t(i)].is(TokenType::Whitespace))
            significant.push_back(i);
    }
    if (significant.empty())
        return Truth::Unknown;
    const Token& first = m_t[std::size_t(significant[0])];
    if (significant.size() == 1) {
        if (!first.is(TokenType::Ident))
            return Truth::Unknown;
        const std::optional<Value> actual = featureValue(first.text);
        if (!actual)
            return Truth::Unknown;
        if (actual->kind == Value::Ident)
            return fromBool(actual->ident != "none" && actual->ident != "no-preference");
        return fromBool(actual->number != 0);
    }
    if (first.is(TokenType::Ident) && m_t[std::size_t(significant[1])].is(TokenType::Colon)) {
        qsizetype pos = significant[1] + 1;
        const std::optional<Value> v = value(pos, end);
        while (pos < end && m_t[std::size_t(pos)].is(TokenType::Whitespace))
            ++pos;
        if (!v || pos != end)
            return Truth::Unknown;
        return plain(first.text, *v);
    }
    // Range forms: read operands and operators in turn.
    struct Part {
        bool isName = false;
        QByteArrayView name;
        Value value;
    };
    std::vector<Part> operands;
    std::vector<std::pair<char, bool>> operators;
    qsizetype pos = begin;
    while (pos < end) {
        while (pos < end && m_t[std::size_t(pos)].is(TokenType::Whitespace))
            ++pos;
        if (pos >= end)
            break;
        const Token& t = m_t[std::size_t(pos)];
        if (t.isDelim('<') || t.isDelim('>') || t.isDelim('=')) {
            const char op = t.text[0];
            bool orEqual = false;
            ++pos;
            if (op != '=' && pos < end && m_t[std::size_t(pos)].isDelim('=')) {
                orEqual = true;
                ++pos;
            }
            operators.emplace_back(op, orEqual);
            continue;
        }
        Part part;
        if (t.is(TokenType::Ident) && featureValue(t.text)) {
            part.isName = true;
            part.name = t.text;
            ++pos;
        } else {
            const std::optional<Value> v = value(pos, end);
            if (!v)
                return Truth::Unknown;
            part.value = *v;
        }
        operands.push_back(part);
    }
    if (operands.size() == 2 && operators.size() == 1) {
        const auto [op, orEqual] = operators[0];
        if (operands[0].isName && !operands[1].isName)
            return range(operands[0].name, op, orEqual, operands[1].value, true);
        if (!operands[0].isName && operands[1].isName)
            return range(operands[1].name, op, orEqual, operands[0].value, false);
        return Truth::Unknown;
    }
    if (operands.size() == 3 && operators.size() == 2 && operands[1].isName &&
        !operands[0].isName && !operands[2].isName && operators[0].first == operators[1].first &&
        operators[0].first != '=') {
        const Truth low = range(operands[1].name, operators[0].first, operators[0].second,
                                operands[0].value, false);
        const Truth high = range(operands[1].name, operators[1].first, operators[1].second,
                                 operands[2].value, true);
        if (low == Truth::False || high == Truth::False)
            return Truth::False;
        return (low == Truth::True && high == Truth::True) ? Truth::True : Truth::Unknown;
    }
    return Truth::Unknown;
}

} // namespace

bool mediaMatches(const std::vector<Token>& tokens, const Viewport& viewport)
{
    bool sawAny = false;
    qsizetype begin = 0;
    const qsizetype size = qsizetype(tokens.size());
    int depth = 0;
    for (qsizetype i = 0; i <= size; ++i) {
        if (i < size) {
            const Token& t = tokens[std::size_t(i)];
            if (!t.is(TokenType::Whitespace))
                sawAny = true;
            if (t.is(TokenType::OpenParen) || t.is(TokenType::Function))
                ++depth;
            else if (t.is(TokenType::CloseParen))
                depth = std::max(0, depth - 1);
            if (!(depth == 0 && t.is(TokenType::Comma)))
                continue;
        }
        if (!sawAny && i == size && begin == 0)
            return true; // an empty list
        Evaluator e(tokens, begin, i, viewport, 0);
        if (e.query())
            return true;
        begin = i + 1;
    }
    return false;
}

bool mediaMatches(QByteArrayView queryList, const Viewport& viewport)
{
    Tokenizer tokenizer(queryList);
    std::vector<Token> tokens;
    for (Token t = tokenizer.next(); !t.is(TokenType::End); t = tokenizer.next())
        tokens.push_back(t);
    return mediaMatches(tokens, viewport);
}

} // namespace tv::css
