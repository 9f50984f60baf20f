#include "fetch/htmlbounds.h"

#include <array>
#include <cstring>
#include <gumbo.h>
#include <vector>

namespace tv {

namespace {

enum TagClass : unsigned char {
    kNests = 0,   // an ordinary element that stays open until closed
    kVoid = 1,    // never has content
    kSibling = 2, // closed by its next sibling (p, li, td, ...): never deep
    kFormatting = 3,
    kRawText = 4, // content is text up to the matching end tag
    kPlainText = 5,
    kInlineFlag = 8, // dropping it needs no space
};

const std::array<unsigned char, GUMBO_TAG_LAST + 1>& tagClasses()
{
    static const auto classes = [] {
        std::array<unsigned char, GUMBO_TAG_LAST + 1> c{};
        auto set = [&c](std::initializer_list<GumboTag> tags, unsigned char value) {
            for (GumboTag t : tags)
                c[t] = value;
        };
        set({GUMBO_TAG_AREA,     GUMBO_TAG_BASE,    GUMBO_TAG_BR,    GUMBO_TAG_COL,
             GUMBO_TAG_EMBED,    GUMBO_TAG_HR,      GUMBO_TAG_IMG,   GUMBO_TAG_IMAGE,
             GUMBO_TAG_INPUT,    GUMBO_TAG_LINK,    GUMBO_TAG_META,  GUMBO_TAG_PARAM,
             GUMBO_TAG_SOURCE,   GUMBO_TAG_TRACK,   GUMBO_TAG_WBR,   GUMBO_TAG_KEYGEN,
             GUMBO_TAG_BASEFONT, GUMBO_TAG_BGSOUND, GUMBO_TAG_FRAME, GUMBO_TAG_MENUITEM,
             GUMBO_TAG_SPACER},
            kVoid);
        set({GUMBO_TAG_P,       GUMBO_TAG_LI,       GUMBO_TAG_DT,    GUMBO_TAG_DD,
             GUMBO_TAG_OPTION,  GUMBO_TAG_OPTGROUP, GUMBO_TAG_TR,    GUMBO_TAG_TD,
             GUMBO_TAG_TH,      GUMBO_TAG_THEAD,    GUMBO_TAG_TBODY, GUMBO_TAG_TFOOT,
             GUMBO_TAG_RB,      GUMBO_TAG_RT,       GUMBO_TAG_RTC,   GUMBO_TAG_RP,
             GUMBO_TAG_CAPTION, GUMBO_TAG_COLGROUP, GUMBO_TAG_HTML,  GUMBO_TAG_HEAD,
             GUMBO_TAG_BODY,    GUMBO_TAG_FRAMESET},
            kSibling);
        set({GUMBO_TAG_A, GUMBO_TAG_B, GUMBO_TAG_BIG, GUMBO_TAG_CODE, GUMBO_TAG_EM, GUMBO_TAG_FONT,
             GUMBO_TAG_I, GUMBO_TAG_NOBR, GUMBO_TAG_S, GUMBO_TAG_SMALL, GUMBO_TAG_STRIKE,
             GUMBO_TAG_STRONG, GUMBO_TAG_TT, GUMBO_TAG_U},
            kFormatting | kInlineFlag);
        set({GUMBO_TAG_SPAN, GUMBO_TAG_ABBR, GUMBO_TAG_CITE,  GUMBO_TAG_DFN,     GUMBO_TAG_KBD,
             GUMBO_TAG_MARK, GUMBO_TAG_Q,    GUMBO_TAG_SAMP,  GUMBO_TAG_SUB,     GUMBO_TAG_SUP,
             GUMBO_TAG_VAR,  GUMBO_TAG_INS,  GUMBO_TAG_DEL,   GUMBO_TAG_BDI,     GUMBO_TAG_BDO,
             GUMBO_TAG_DATA, GUMBO_TAG_TIME, GUMBO_TAG_LABEL, GUMBO_TAG_ACRONYM, GUMBO_TAG_BLINK},
            kNests | kInlineFlag);
        set({GUMBO_TAG_SCRIPT, GUMBO_TAG_STYLE, GUMBO_TAG_XMP, GUMBO_TAG_IFRAME, GUMBO_TAG_NOEMBED,
             GUMBO_TAG_NOFRAMES, GUMBO_TAG_TEXTAREA, GUMBO_TAG_TITLE},
            kRawText);
        set({GUMBO_TAG_PLAINTEXT}, kPlainText);
        return c;
    }();
    return classes;
}

inline bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

inline bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

bool equalsIgnoreCase(const char* a, const char* b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

struct OpenElement {
    int tag;
    const char* name; // for tags gumbo does not know
    std::size_t length;
};

class Scanner {
public:
    Scanner(const QByteArray& html, NestingLimits limits)
        : m_html(html), m_s(html.constData()), m_n(std::size_t(html.size())), m_limits(limits)
    {
    }

    QByteArray run();

private:
    // Skips attributes to just past the tag's '>'; tells whether it ended with "/>".
    bool skipAttributes(std::size_t& pos) const;
    // Reads a tag name from `pos` to its end; its text, length and gumbo's tag for it.
    OpenElement readTagName(std::size_t& pos) const;
    std::size_t skipRawText(std::size_t pos, const char* name, std::size_t length) const;
    void drop(std::size_t begin, std::size_t end, bool leaveSpace);
    void startTag(std::size_t begin, std::size_t& pos);
    void endTag(std::size_t begin, std::size_t& pos);

    const QByteArray& m_html;
    const char* m_s;
    std::size_t m_n;
    NestingLimits m_limits;
    std::vector<OpenElement> m_open;
    int m_formatting = 0;
    int m_foreign = 0;
    std::array<int, GUMBO_TAG_LAST + 1> m_droppedKnown{};
    int m_droppedUnknown = 0;
    QByteArray m_out;
    std::size_t m_copied = 0;
    bool m_changed = false;
};

bool Scanner::skipAttributes(std::size_t& pos) const
{
    bool selfClosing = false;
    while (pos < m_n) {
        const char c = m_s[pos];
        if (c == '>') {
            ++pos;
            return selfClosing;
        }
        if (c == '/') {
            selfClosing = true;
            ++pos;
            continue;
        }
        selfClosing = false;
        if (isSpace(c)) {
            ++pos;
            continue;
        }
        // An attribute name, then perhaps "=" and a value.
        while (pos < m_n && !isSpace(m_s[pos]) && m_s[pos] != '/' && m_s[pos] != '>' &&
               m_s[pos] != '=')
            ++pos;
        while (pos < m_n && isSpace(m_s[pos]))
            ++pos;
        if (pos < m_n && m_s[pos] == '=') {
            ++pos;
            while (pos < m_n && isSpace(m_s[pos]))
                ++pos;
            if (pos < m_n && (m_s[pos] == '"' || m_s[pos] == '\'')) {
                const void* close = std::memchr(m_s + pos + 1, m_s[pos], m_n - pos - 1);
                pos = close ? std::size_t(static_cast<const char*>(close) - m_s) + 1 : m_n;
            } else {
                while (pos < m_n && !isSpace(m_s[pos]) && m_s[pos] != '>')
                    ++pos;
            }
        }
    }
    return selfClosing;
}

std::size_t Scanner::skipRawText(std::size_t pos, const char* name, std::size_t length) const
{
    while (pos < m_n) {
        const void* lt = std::memchr(m_s + pos, '<', m_n - pos);
        if (!lt)
            return m_n;
        pos = std::size_t(static_cast<const char*>(lt) - m_s);
        if (pos + 2 + length <= m_n && m_s[pos + 1] == '/' &&
            equalsIgnoreCase(m_s + pos + 2, name, length) &&
            (pos + 2 + length == m_n || isSpace(m_s[pos + 2 + length]) ||
             m_s[pos + 2 + length] == '>' || m_s[pos + 2 + length] == '/'))
            return pos;
        ++pos;
    }
    return m_n;
}

void Scanner::drop(std::size_t begin, std::size_t end, bool leaveSpace)
{
    if (!m_changed) {
        m_changed = true;
        m_out.reserve(m_html.size());
    }
    m_out.append(m_s + m_copied, qsizetype(begin - m_copied));
    if (leaveSpace)
        m_out.append(' ');
    m_copied = end;
}

OpenElement Scanner::readTagName(std::size_t& pos) const
{
    const std::size_t nameBegin = pos;
    while (pos < m_n && !isSpace(m_s[pos]) && m_s[pos] != '/' && m_s[pos] != '>')
        ++pos;
    const char* name = m_s + nameBegin;
    const std::size_t length = pos - nameBegin;
    return {gumbo_tagn_enum(name, unsigned(length)), name, length};
}

void Scanner::startTag(std::size_t begin, std::size_t& pos)
{
    const OpenElement read = readTagName(pos);
    const char* name = read.name;
    const std::size_t length = read.length;
    const GumboTag tag = GumboTag(read.tag);
    const unsigned char cls = tagClasses()[tag];
    const bool selfClosing = skipAttributes(pos);

    switch (cls & 7) {
    case kVoid:
    case kSibling:
        return;
    case kPlainText:
        pos = m_n;
        return;
    case kRawText:
        if (m_foreign == 0) {
            pos = skipRawText(pos, name, length);
            return;
        }
        break;
    default:
        break;
    }
    if (selfClosing && m_foreign > 0)
        return;
    const bool formatting = (cls & 7) == kFormatting;
    if (int(m_open.size()) >= m_limits.maxDepth ||
        (formatting && m_formatting >= m_limits.maxFormatting)) {
        drop(begin, pos, !(cls & kInlineFlag));
        if (tag == GUMBO_TAG_UNKNOWN)
            ++m_droppedUnknown;
        else
            ++m_droppedKnown[tag];
        return;
    }
    m_open.push_back({tag, name, length});
    if (formatting)
        ++m_formatting;
    if (tag == GUMBO_TAG_SVG || tag == GUMBO_TAG_MATH)
        ++m_foreign;
}

void Scanner::endTag(std::size_t begin, std::size_t& pos)
{
    const OpenElement read = readTagName(pos);
    const char* name = read.name;
    const std::size_t length = read.length;
    const int tag = read.tag;
    skipAttributes(pos);

    for (std::size_t i = m_open.size(); i-- > 0;) {
        const OpenElement& e = m_open[i];
        if (e.tag != tag || (tag == GUMBO_TAG_UNKNOWN &&
                             (e.length != length || !equalsIgnoreCase(e.name, name, length))))
            continue;
        while (m_open.size() > i) {
            const OpenElement& top = m_open.back();
            if ((tagClasses()[top.tag] & 7) == kFormatting)
                --m_formatting;
            if (top.tag == GUMBO_TAG_SVG || top.tag == GUMBO_TAG_MATH)
                --m_foreign;
            m_open.pop_back();
        }
        return;
    }
    int& dropped = tag == GUMBO_TAG_UNKNOWN ? m_droppedUnknown : m_droppedKnown[tag];
    if (dropped > 0) {
        --dropped;
        drop(begin, pos, false);
    }
}

QByteArray Scanner::run()
{
    std::size_t pos = 0;
    while (pos < m_n) {
        const void* lt = std::memchr(m_s + pos, '<', m_n - pos);
        if (!lt)
            break;
        const std::size_t begin = std::size_t(static_cast<const char*>(lt) - m_s);
        pos = begin + 1;
        if (pos >= m_n)
            break;
        const char c = m_s[pos];
        if (isLetter(c)) {
            startTag(begin, pos);
        } else if (c == '/' && pos + 1 < m_n && isLetter(m_s[pos + 1])) {
            ++pos;
            endTag(begin, pos);
        } else if (c == '!' && pos + 2 < m_n && m_s[pos + 1] == '-' && m_s[pos + 2] == '-') {
            const char* end =
                static_cast<const char*>(memmem(m_s + pos + 3, m_n - pos - 3, "-->", 3));
            pos = end ? std::size_t(end - m_s) + 3 : m_n;
        } else if (c == '!' || c == '?' || c == '/') {
            const void* gt = std::memchr(m_s + pos, '>', m_n - pos);
            pos = gt ? std::size_t(static_cast<const char*>(gt) - m_s) + 1 : m_n;
        }
    }
    if (!m_changed)
        return m_html;
    m_out.append(m_s + m_copied, qsizetype(m_n - m_copied));
    return m_out;
}

} // namespace

QByteArray boundNesting(const QByteArray& html, NestingLimits limits)
{
    return Scanner(html, limits).run();
}

} // namespace tv
