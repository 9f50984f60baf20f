#include "style/supportsquery.h"

#include "style/declarations.h"
#include "style/selectors.h"

namespace tv::css {

namespace {

class Supports {
public:
    Supports(const std::vector<Token>& t, std::size_t begin, std::size_t end, int depth)
        : m_t(t), m_pos(begin), m_end(end), m_depth(depth)
    {
    }

    bool condition()
    {
        skip();
        if (atEnd())
            return false;
        if (m_t[m_pos].isIdent("not")) {
            ++m_pos;
            return !inParens();
        }
        bool result = inParens();
        for (;;) {
            skip();
            if (atEnd())
                return result;
            const bool isAnd = m_t[m_pos].isIdent("and");
            if (!isAnd && !m_t[m_pos].isIdent("or"))
                return false;
            ++m_pos;
            const bool next = inParens();
            result = isAnd ? (result && next) : (result || next);
        }
    }

private:
    bool atEnd() const { return m_pos >= m_end; }
    void skip()
    {
        while (!atEnd() && m_t[m_pos].is(TokenType::Whitespace))
            ++m_pos;
    }
    std::size_t closing(std::size_t open) const
    {
        int depth = 0;
        for (std::size_t i = open; i < m_end; ++i) {
            if (m_t[i].is(TokenType::OpenParen) || m_t[i].is(TokenType::Function))
                ++depth;
            else if (m_t[i].is(TokenType::CloseParen) && --depth == 0)
                return i;
        }
        return m_end;
    }
    bool inParens()
    {
        skip();
        if (atEnd())
            return false;
        const Token& open = m_t[m_pos];
        const std::size_t close = closing(m_pos);
        const std::size_t begin = m_pos + 1;
        m_pos = close < m_end ? close + 1 : m_end;
        if (close >= m_end || m_depth > 16)
            return false;
        if (open.is(TokenType::Function)) {
            if (!open.isIdent("selector", TokenType::Function))
                return false;
            std::vector<Token> inner(m_t.begin() + qsizetype(begin),
                                     m_t.begin() + qsizetype(close));
            return !parseSelectorList(inner).empty();
        }
        if (!open.is(TokenType::OpenParen))
            return false;
        std::size_t p = begin;
        while (p < close && m_t[p].is(TokenType::Whitespace))
            ++p;
        if (p < close && (m_t[p].is(TokenType::OpenParen) || m_t[p].isIdent("not") ||
                          m_t[p].is(TokenType::Function)))
            return Supports(m_t, p, close, m_depth + 1).condition();
        // A declaration: name ':' value. The properties read here are checked as they are
        // read; for the others, only another engine's prefix says no.
        if (p >= close || !m_t[p].is(TokenType::Ident))
            return false;
        const QByteArrayView name = m_t[p].text;
        bool colon = false;
        QByteArray text(name.data(), name.size());
        for (std::size_t i = p + 1; i < close; ++i) {
            const Token& t = m_t[i];
            if (t.is(TokenType::Colon)) {
                colon = true;
                text += ':';
            } else if (colon && (t.is(TokenType::Ident) || t.is(TokenType::Function))) {
                if (t.text.startsWith("-moz-") || t.text.startsWith("-ms-") ||
                    t.text.startsWith("-o-"))
                    return false;
                text += ' ';
                text += QByteArray(t.text.data(), t.text.size());
            }
        }
        if (!colon || name.startsWith("-moz-") || name.startsWith("-ms-") || name.startsWith("-o-"))
            return false;
        static const char* const known[] = {"display",        "visibility", "white-space",
                                            "text-transform", "float",      "position"};
        for (const char* k : known) {
            if (equalsLower(name, k))
                return !parseStyleAttribute(text).isEmpty();
        }
        return true;
    }

    const std::vector<Token>& m_t;
    std::size_t m_pos;
    std::size_t m_end;
    int m_depth;
};

} // namespace

bool supportsHolds(const std::vector<Token>& condition)
{
    return Supports(condition, 0, condition.size(), 0).condition();
}

} // namespace tv::css
