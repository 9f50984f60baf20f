#pragma once
// CSS text as tokens, after CSS Syntax Level 3: what reading rules, selectors, media queries and
// a few declarations needs. Comments are skipped; escapes are resolved into the token's text.
#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <deque>
#include <vector>

namespace tv::css {

enum class TokenType : std::uint8_t {
    End,
    Whitespace,
    Ident,
    Function, // text: the name before "("
    AtKeyword,
    Hash,
    String,
    Url,
    BadString,
    BadUrl,
    Number,
    Percentage,
    Dimension, // text: the unit
    Delim,     // text: the one character
    Colon,
    Semicolon,
    Comma,
    OpenSquare,
    CloseSquare,
    OpenParen,
    CloseParen,
    OpenCurly,
    CloseCurly,
    Cdo, // <!--
    Cdc, // -->
};

struct Token {
    TokenType type = TokenType::End;
    // The name of an ident, function, at-keyword or hash, a string's or url's value, a
    // dimension's unit, a delim's character. Valid as long as the tokenizer and its source.
    QByteArrayView text;
    double number = 0;
    bool integer = false;
    bool hashIsId = false;     // a hash that would be a valid identifier (#id, not #1)
    bool explicitSign = false; // a number written with its + or -
    qsizetype begin = 0;       // the token's bytes in the source
    qsizetype end = 0;

    bool is(TokenType t) const { return type == t; }
    bool isDelim(char c) const
    {
        return type == TokenType::Delim && text.size() == 1 && text[0] == c;
    }
    // An ident (or function, with `t`) whose text equals `lower` in ASCII letter case.
    bool isIdent(QByteArrayView lower, TokenType t = TokenType::Ident) const;
};

// True when `text` equals `lower` (given in lower case) ignoring ASCII letter case.
bool equalsLower(QByteArrayView text, QByteArrayView lower);
// The text in ASCII lower case.
QByteArray toLowerAscii(QByteArrayView text);

class Tokenizer {
public:
    // The source must outlive the tokenizer and every token it gives.
    explicit Tokenizer(QByteArrayView css) : m_s(css) {}
    Tokenizer(const Tokenizer&) = delete;
    Tokenizer& operator=(const Tokenizer&) = delete;

    Token next();
    bool atEnd() const { return m_pos >= m_s.size(); }
    qsizetype position() const { return m_pos; }
    QByteArrayView source() const { return m_s; }

private:
    char at(qsizetype i) const { return i < m_s.size() ? m_s[i] : '\0'; }
    bool validEscape(qsizetype i) const;
    bool startsIdent(qsizetype i) const;
    bool startsNumber(qsizetype i) const;
    // Reads a name from m_pos; returns its text (escapes resolved) and moves past it.
    QByteArrayView consumeName();
    void consumeEscape(QByteArray& out);
    Token consumeNumeric(qsizetype begin);
    Token consumeIdentLike(qsizetype begin);
    Token consumeString(qsizetype begin, char quote);
    Token consumeUrl(qsizetype begin);
    void skipComments();
    QByteArrayView keep(QByteArray&& text);

    QByteArrayView m_s;
    qsizetype m_pos = 0;
    std::deque<QByteArray> m_resolved; // texts with escapes, alive with the tokenizer
};

// Reads past a {} block whose '{' was just read.
void skipBlock(Tokenizer& tokens);

// A reader's place in the tokens [begin, end) of a prelude: what the media-query and selector
// readers share.
class TokenCursor {
protected:
    TokenCursor(const std::vector<Token>& tokens, qsizetype begin, qsizetype end)
        : m_t(tokens), m_pos(begin), m_end(end)
    {
    }
    const Token& peek() const
    {
        static const Token end;
        return m_pos < m_end ? m_t[std::size_t(m_pos)] : end;
    }
    bool atEnd() const { return m_pos >= m_end; }
    void skipWhitespace()
    {
        while (!atEnd() && peek().is(TokenType::Whitespace))
            ++m_pos;
    }
    // From `from`, `depth` parentheses already open: where the ')' that closes them stands;
    // -1 when it is missing.
    qsizetype closingParen(qsizetype from, int depth) const
    {
        for (qsizetype i = from; i < m_end; ++i) {
            const Token& t = m_t[std::size_t(i)];
            if (t.is(TokenType::OpenParen) || t.is(TokenType::Function))
                ++depth;
            else if (t.is(TokenType::CloseParen) && --depth == 0)
                return i;
        }
        return -1;
    }

    const std::vector<Token>& m_t;
    qsizetype m_pos;
    qsizetype m_end;
};

} // namespace tv::css
