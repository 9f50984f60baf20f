#include "fetch/textbuilder.h"

#include <QByteArray>

namespace tv {

namespace {

inline bool isCollapsible(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

} // namespace

void TextBuilder::put(const char* s, std::size_t n)
{
    if (n == 0)
        return;
    if (m_pendingBreaks > 0) {
        // Breaks before the first string are dropped.
        if (!m_out.empty())
            m_out.append(std::size_t(m_pendingBreaks), '\n');
        m_pendingBreaks = 0;
    }
    m_out.append(s, n);
}

void TextBuilder::flushSpace()
{
    if (m_pendingSpace) {
        m_pendingSpace = false;
        put(" ", 1);
        m_afterWordChar = false;
    }
}

namespace {

// Capitals and small letters the Turkish way: i and İ, ı and I are pairs.
QString upperTurkic(QString text)
{
    text.replace(u'i', QChar(0x0130));
    return text.toUpper();
}

QString lowerTurkic(QString text)
{
    text.replace(QChar(0x0130), u'i').replace(u'I', QChar(0x0131));
    return text.toLower();
}

} // namespace

void TextBuilder::emitTransformed(const char* s, std::size_t n, TextTransform transform,
                                  bool turkic)
{
    if (transform == TextTransform::None) {
        put(s, n);
        m_afterWordChar = true;
        return;
    }
    QString run = QString::fromUtf8(s, qsizetype(n));
    if (transform == TextTransform::Uppercase) {
        run = turkic ? upperTurkic(run) : run.toUpper();
    } else if (transform == TextTransform::Lowercase) {
        run = turkic ? lowerTurkic(run) : run.toLower();
    } else {
        QString out;
        out.reserve(run.size());
        for (qsizetype i = 0; i < run.size(); ++i) {
            const char32_t cp = run.at(i).isHighSurrogate() && i + 1 < run.size()
                                    ? QChar::surrogateToUcs4(run.at(i), run.at(i + 1))
                                    : run.at(i).unicode();
            const qsizetype width = cp > 0xFFFF ? 2 : 1;
            const bool wordChar = QChar::isLetterOrNumber(cp) || QChar::isMark(cp);
            if (wordChar && !m_afterWordChar)
                out += turkic ? upperTurkic(QString::fromUcs4(&cp, 1))
                              : QString::fromUcs4(&cp, 1).toUpper();
            else
                out += run.mid(i, width);
            m_afterWordChar = wordChar || cp == u'\'' || cp == 0x2019;
            i += width - 1;
        }
        run = out;
    }
    const QByteArray utf8 = run.toUtf8();
    put(utf8.constData(), std::size_t(utf8.size()));
    if (transform != TextTransform::Capitalize)
        m_afterWordChar = true;
}

void TextBuilder::text(const char* s, std::size_t n, WhiteSpace ws, TextTransform transform,
                       bool turkic)
{
    if (ws == WhiteSpace::Pre || ws == WhiteSpace::PreWrap || ws == WhiteSpace::BreakSpaces) {
        if (n == 0)
            return;
        flushSpace();
        emitTransformed(s, n, transform, turkic);
        m_lineStart = s[n - 1] == '\n';
        return;
    }
    const bool keepLineFeeds = ws == WhiteSpace::PreLine;
    std::size_t i = 0;
    while (i < n) {
        const char c = s[i];
        if (isCollapsible(c)) {
            if (keepLineFeeds && c == '\n') {
                m_pendingSpace = false;
                put("\n", 1);
                m_lineStart = true;
                m_afterWordChar = false;
            } else if (!m_lineStart) {
                m_pendingSpace = true;
            }
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < n && !isCollapsible(s[j]))
            ++j;
        flushSpace();
        emitTransformed(s + i, j - i, transform, turkic);
        m_lineStart = false;
        i = j;
    }
}

void TextBuilder::requiredBreak(int count)
{
    m_pendingSpace = false;
    m_lineStart = true;
    m_afterWordChar = false;
    if (count > m_pendingBreaks)
        m_pendingBreaks = count;
}

void TextBuilder::lineEdge()
{
    m_pendingSpace = false;
    m_lineStart = true;
    m_afterWordChar = false;
}

void TextBuilder::lineFeed()
{
    m_pendingSpace = false;
    put("\n", 1);
    m_lineStart = true;
    m_afterWordChar = false;
}

void TextBuilder::tab()
{
    m_pendingSpace = false;
    put("\t", 1);
    m_lineStart = true;
    m_afterWordChar = false;
}

void TextBuilder::atom()
{
    flushSpace();
    m_lineStart = false;
    m_afterWordChar = false;
}

} // namespace tv
