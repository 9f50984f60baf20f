#include "style/csstokenizer.h"

#include <algorithm>
#include <cmath>

namespace tv::css {

namespace {

bool isWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHex(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool isNameChar(char c)
{
    return isNameStart(c) || isDigit(c) || c == '-';
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

void appendUtf8(QByteArray& out, char32_t cp)
{
    if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

} // namespace

bool equalsLower(QByteArrayView text, QByteArrayView lower)
{
    if (text.size() != lower.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
        if (c != lower[i])
            return false;
    }
    return true;
}

QByteArray toLowerAscii(QByteArrayView text)
{
    QByteArray out(text.data(), text.size());
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    }
    return out;
}

bool Token::isIdent(QByteArrayView lower, TokenType t) const
{
    return type == t && equalsLower(text, lower);
}

bool Tokenizer::validEscape(qsizetype i) const
{
    return at(i) == '\\' && i + 1 < m_s.size() && at(i + 1) != '\n' && at(i + 1) != '\r' &&
           at(i + 1) != '\f';
}

bool Tokenizer::startsIdent(qsizetype i) const
{
    const char c = at(i);
    if (c == '-')
        return isNameStart(at(i + 1)) || at(i + 1) == '-' || validEscape(i + 1);
    return isNameStart(c) || validEscape(i);
}

bool Tokenizer::startsNumber(qsizetype i) const
{
    char c = at(i);
    if (c == '+' || c == '-')
        c = at(++i);
    if (isDigit(c))
        return true;
    return c == '.' && isDigit(at(i + 1));
}

QByteArrayView Tokenizer::keep(QByteArray&& text)
{
    m_resolved.push_back(std::move(text));
    return m_resolved.back();
}

void Tokenizer::consumeEscape(QByteArray& out)
{
    ++m_pos; // the backslash
    if (m_pos >= m_s.size()) {
        appendUtf8(out, 0xFFFD);
        return;
    }
    if (isHex(m_s[m_pos])) {
        char32_t cp = 0;
        for (int n = 0; n < 6 && m_pos < m_s.size() && isHex(m_s[m_pos]); ++n, ++m_pos)
            cp = cp * 16 + char32_t(hexValue(m_s[m_pos]));
        if (m_pos < m_s.size() && isWhitespace(m_s[m_pos])) {
            if (m_s[m_pos] == '\r' && at(m_pos + 1) == '\n')
                ++m_pos;
            ++m_pos;
        }
        appendUtf8(out, cp);
        return;
    }
    out += m_s[m_pos++];
}

QByteArrayView Tokenizer::consumeName()
{
    const qsizetype begin = m_pos;
    while (m_pos < m_s.size() && isNameChar(m_s[m_pos]))
        ++m_pos;
    if (!validEscape(m_pos))
        return m_s.sliced(begin, m_pos - begin);
    // Escapes are rare: only then is the name copied.
    QByteArray out(m_s.data() + begin, m_pos - begin);
    for (;;) {
        if (m_pos < m_s.size() && isNameChar(m_s[m_pos]))
            out += m_s[m_pos++];
        else if (validEscape(m_pos))
            consumeEscape(out);
        else
            break;
    }
    return keep(std::move(out));
}

Token Tokenizer::consumeNumeric(qsizetype begin)
{
    Token t;
    t.integer = true;
    double sign = 1;
    if (at(m_pos) == '+' || at(m_pos) == '-') {
        sign = m_s[m_pos++] == '-' ? -1 : 1;
        t.explicitSign = true;
    }
    double value = 0;
    while (isDigit(at(m_pos)))
        value = value * 10 + (m_s[m_pos++] - '0');
    if (at(m_pos) == '.' && isDigit(at(m_pos + 1))) {
        t.integer = false;
        ++m_pos;
        double scale = 0.1;
        while (isDigit(at(m_pos))) {
            value += (m_s[m_pos++] - '0') * scale;
            scale /= 10;
        }
    }
    if ((at(m_pos) == 'e' || at(m_pos) == 'E') &&
        (isDigit(at(m_pos + 1)) ||
         ((at(m_pos + 1) == '+' || at(m_pos + 1) == '-') && isDigit(at(m_pos + 2))))) {
        t.integer = false;
        ++m_pos;
        int expSign = 1;
        if (at(m_pos) == '+' || at(m_pos) == '-')
            expSign = m_s[m_pos++] == '-' ? -1 : 1;
        int exponent = 0;
        while (isDigit(at(m_pos))) {
            exponent = std::min(exponent * 10 + (m_s[m_pos++] - '0'), 400);
        }
        value *= std::pow(10.0, expSign * exponent);
    }
    t.number = sign * value;
    if (startsIdent(m_pos)) {
        t.type = TokenType::Dimension;
        t.text = consumeName();
    } else if (at(m_pos) == '%') {
        ++m_pos;
        t.type = TokenType::Percentage;
    } else {
        t.type = TokenType::Number;
    }
    t.begin = begin;
    t.end = m_pos;
    return t;
}

Token Tokenizer::consumeString(qsizetype begin, char quote)
{
    Token t;
    t.type = TokenType::String;
    ++m_pos;
    const qsizetype start = m_pos;
    QByteArray out;
    bool copied = false;
    while (m_pos < m_s.size()) {
        const char c = m_s[m_pos];
        if (c == quote) {
            ++m_pos;
            break;
        }
        if (c == '\n' || c == '\r' || c == '\f') {
            t.type = TokenType::BadString; // the newline is left for the next token
            break;
        }
        if (c == '\\') {
            if (!copied) {
                out = QByteArray(m_s.data() + start, m_pos - start);
                copied = true;
            }
            if (m_pos + 1 >= m_s.size()) {
                ++m_pos;
            } else if (m_s[m_pos + 1] == '\n' || m_s[m_pos + 1] == '\f') {
                m_pos += 2;
            } else if (m_s[m_pos + 1] == '\r') {
                m_pos += at(m_pos + 2) == '\n' ? 3 : 2;
            } else {
                consumeEscape(out);
            }
            continue;
        }
        if (copied)
            out += c;
        ++m_pos;
    }
    if (copied) {
        t.text = keep(std::move(out));
    } else {
        qsizetype stop = m_pos;
        if (stop > start && at(stop - 1) == quote && t.type == TokenType::String)
            --stop;
        t.text = m_s.sliced(start, stop - start);
    }
    t.begin = begin;
    t.end = m_pos;
    return t;
}

Token Tokenizer::consumeUrl(qsizetype begin)
{
    Token t;
    t.type = TokenType::Url;
    while (isWhitespace(at(m_pos)))
        ++m_pos;
    const qsizetype start = m_pos;
    QByteArray out;
    bool copied = false;
    while (m_pos < m_s.size()) {
        const char c = m_s[m_pos];
        if (c == ')') {
            ++m_pos;
            break;
        }
        if (isWhitespace(c)) {
            const qsizetype stop = m_pos;
            while (isWhitespace(at(m_pos)))
                ++m_pos;
            if (at(m_pos) == ')' || m_pos >= m_s.size()) {
                if (!copied)
                    t.text = m_s.sliced(start, stop - start);
                if (m_pos < m_s.size())
                    ++m_pos;
                t.begin = begin;
                t.end = m_pos;
                if (copied)
                    t.text = keep(std::move(out));
                return t;
            }
            t.type = TokenType::BadUrl;
            break;
        }
        if (c == '"' || c == '\'' || c == '(') {
            t.type = TokenType::BadUrl;
            break;
        }
        if (c == '\\') {
            if (!validEscape(m_pos)) {
                t.type = TokenType::BadUrl;
                break;
            }
            if (!copied) {
                out = QByteArray(m_s.data() + start, m_pos - start);
                copied = true;
            }
            consumeEscape(out);
            continue;
        }
        if (copied)
            out += c;
        ++m_pos;
    }
    if (t.type == TokenType::BadUrl) {
        // The rest of a bad url, to its closing parenthesis, is one token.
        while (m_pos < m_s.size() && m_s[m_pos] != ')') {
            if (validEscape(m_pos))
                ++m_pos;
            ++m_pos;
        }
        if (m_pos < m_s.size())
            ++m_pos;
        t.begin = begin;
        t.end = m_pos;
        return t;
    }
    if (copied) {
        t.text = keep(std::move(out));
    } else {
        qsizetype stop = m_pos;
        if (stop > start && at(stop - 1) == ')')
            --stop;
        t.text = m_s.sliced(start, stop - start);
    }
    t.begin = begin;
    t.end = m_pos;
    return t;
}

Token Tokenizer::consumeIdentLike(qsizetype begin)
{
    Token t;
    t.text = consumeName();
    if (at(m_pos) == '(') {
        ++m_pos;
        if (equalsLower(t.text, "url")) {
            qsizetype p = m_pos;
            while (isWhitespace(at(p)))
                ++p;
            if (at(p) != '"' && at(p) != '\'')
                return consumeUrl(begin);
        }
        t.type = TokenType::Function;
    } else {
        t.type = TokenType::Ident;
    }
    t.begin = begin;
    t.end = m_pos;
    return t;
}

void Tokenizer::skipComments()
{
    while (at(m_pos) == '/' && at(m_pos + 1) == '*') {
        const qsizetype close = m_s.sliced(m_pos + 2).indexOf("*/");
        m_pos = close < 0 ? m_s.size() : m_pos + 2 + close + 2;
    }
}

Token Tokenizer::next()
{
    skipComments();
    const qsizetype begin = m_pos;
    Token t;
    t.begin = begin;
    if (m_pos >= m_s.size()) {
        t.end = m_pos;
        return t;
    }
    const char c = m_s[m_pos];
    auto single = [&](TokenType type) {
        t.type = type;
        t.text = m_s.sliced(m_pos, 1);
        t.end = ++m_pos;
        return t;
    };
    if (isWhitespace(c)) {
        while (m_pos < m_s.size() && isWhitespace(m_s[m_pos]))
            ++m_pos;
        t.type = TokenType::Whitespace;
        t.end = m_pos;
        return t;
    }
    switch (c) {
    case '"':
    case '\'':
        return consumeString(begin, c);
    case '#':
        if (isNameChar(at(m_pos + 1)) || validEscape(m_pos + 1)) {
            ++m_pos;
            t.hashIsId = startsIdent(m_pos);
            t.text = consumeName();
            t.type = TokenType::Hash;
            t.end = m_pos;
            return t;
        }
        return single(TokenType::Delim);
    case '(':
        return single(TokenType::OpenParen);
    case ')':
        return single(TokenType::CloseParen);
    case '[':
        return single(TokenType::OpenSquare);
    case ']':
        return single(TokenType::CloseSquare);
    case '{':
        return single(TokenType::OpenCurly);
    case '}':
        return single(TokenType::CloseCurly);
    case ',':
        return single(TokenType::Comma);
    case ':':
        return single(TokenType::Colon);
    case ';':
        return single(TokenType::Semicolon);
    case '+':
    case '.':
        if (startsNumber(m_pos))
            return consumeNumeric(begin);
        return single(TokenType::Delim);
    case '-':
        if (startsNumber(m_pos))
            return consumeNumeric(begin);
        if (at(m_pos + 1) == '-' && at(m_pos + 2) == '>') {
            m_pos += 3;
            t.type = TokenType::Cdc;
            t.end = m_pos;
            return t;
        }
        if (startsIdent(m_pos))
            return consumeIdentLike(begin);
        return single(TokenType::Delim);
    case '<':
        if (at(m_pos + 1) == '!' && at(m_pos + 2) == '-' && at(m_pos + 3) == '-') {
            m_pos += 4;
            t.type = TokenType::Cdo;
            t.end = m_pos;
            return t;
        }
        return single(TokenType::Delim);
    case '@':
        if (startsIdent(m_pos + 1)) {
            ++m_pos;
            t.text = consumeName();
            t.type = TokenType::AtKeyword;
            t.end = m_pos;
            return t;
        }
        return single(TokenType::Delim);
    case '\\':
        if (validEscape(m_pos))
            return consumeIdentLike(begin);
        return single(TokenType::Delim);
    default:
        break;
    }
    if (isDigit(c))
        return consumeNumeric(begin);
    if (isNameStart(c))
        return consumeIdentLike(begin);
    return single(TokenType::Delim);
}

void skipBlock(Tokenizer& tokens)
{
    int depth = 1;
    for (Token t = tokens.next(); !t.is(TokenType::End); t = tokens.next()) {
        if (t.is(TokenType::OpenCurly))
            ++depth;
        else if (t.is(TokenType::CloseCurly) && --depth == 0)
            return;
    }
}

} // namespace tv::css
