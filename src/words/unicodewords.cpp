#include "unicodewords.h"

#include "platform/guard.h"

#include <array>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace tv {

namespace {

// ICU takes lengths as 32-bit numbers, and a page may be longer than the rules need to see at
// once: the text goes to ICU in windows that end after a line end where one is near (Unicode's
// rules never join words across a line end), else after a blank.
constexpr qsizetype kWindow = qsizetype(1) << 20;

// The characters that end a line of the rendered text or a table cell: phrases stop there.
bool endsLine(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'\t' || c == u'\v' || c == u'\f' || c == 0x85 ||
           c == 0x2028 || c == 0x2029;
}

bool isBlank(char16_t c)
{
    return c == u' ' || (c >= 0x80 && u_isUWhiteSpace(c));
}

bool isHyphen(char16_t c)
{
    return c == u'-' || c == 0x2010 || c == 0x2011;
}

bool isPunctuation(UChar32 c)
{
    return (U_GET_GC_MASK(c) & U_GC_P_MASK) != 0;
}

// Characters a word keeps in another form: typographic apostrophe and hyphens, soft hyphen.
bool isRewritten(char16_t c)
{
    return c == 0x2019 || c == 0x2010 || c == 0x2011 || c == 0x00AD;
}

qsizetype windowEnd(const char16_t* s, qsizetype start, qsizetype size)
{
    if (size - start <= kWindow)
        return size;
    const qsizetype limit = start + kWindow;
    const qsizetype floor = start + kWindow / 2;
    for (qsizetype i = limit; i > floor; --i) {
        if (endsLine(s[i - 1]))
            return i;
    }
    for (qsizetype i = limit; i > floor; --i) {
        if (isBlank(s[i - 1]))
            return i;
    }
    // A text without any blank for this long: cut anywhere, but never inside a surrogate pair.
    return U16_IS_LEAD(s[limit - 1]) ? limit - 1 : limit;
}

} // namespace

struct UnicodeWords::Iterator {
    UBreakIterator* handle = nullptr;
    ~Iterator()
    {
        if (handle)
            ubrk_close(handle);
    }
};

UnicodeWords::UnicodeWords() : m_iterator(std::make_unique<Iterator>())
{
    UErrorCode status = U_ZERO_ERROR;
    m_iterator->handle = ubrk_open(UBRK_WORD, "", nullptr, 0, &status);
    if (U_FAILURE(status))
        throw Failure(QStringLiteral("The Unicode word rules cannot be loaded: ") +
                      QString::fromLatin1(u_errorName(status)));
}

UnicodeWords::~UnicodeWords() = default;

void UnicodeWords::forEachWord(QStringView text, const Sink& onWord)
{
    const char16_t* s = text.utf16();
    m_lineBreak = false;
    for (qsizetype start = 0; start < text.size();) {
        const qsizetype end = windowEnd(s, start, text.size());
        walkWindow(s + start, end - start, onWord);
        start = end;
    }
}

void UnicodeWords::walkWindow(const char16_t* s, qsizetype size, const Sink& onWord)
{
    UBreakIterator* it = m_iterator->handle;
    UErrorCode status = U_ZERO_ERROR;
    ubrk_setText(it, reinterpret_cast<const UChar*>(s), int32_t(size), &status);
    if (U_FAILURE(status))
        throw Failure(QStringLiteral("Cannot find the words of a text: ") +
                      QString::fromLatin1(u_errorName(status)));

    // The word waiting to be given: Unicode's rules split "e-mail" at the hyphen, so a word is
    // held until what follows shows whether a single hyphen and another word join it.
    qsizetype wordBegin = -1;
    qsizetype wordEnd = -1;
    bool hyphenAfter = false;
    const auto flush = [&] {
        if (wordBegin >= 0)
            emitWord(s, wordBegin, wordEnd, onWord);
        wordBegin = -1;
        hyphenAfter = false;
    };

    qsizetype begin = ubrk_first(it);
    for (int32_t next = ubrk_next(it); next != UBRK_DONE; begin = next, next = ubrk_next(it)) {
        if (ubrk_getRuleStatus(it) >= UBRK_WORD_NONE_LIMIT) {
            if (wordBegin >= 0 && hyphenAfter) {
                wordEnd = next;
                hyphenAfter = false;
                continue;
            }
            flush();
            wordBegin = begin;
            wordEnd = next;
            continue;
        }
        if (wordBegin >= 0 && !hyphenAfter && begin == wordEnd && next == begin + 1 &&
            isHyphen(s[begin])) {
            hyphenAfter = true;
            continue;
        }
        flush();
        for (qsizetype i = begin; i < next && !m_lineBreak; ++i)
            m_lineBreak = endsLine(s[i]);
    }
    flush();
}

void UnicodeWords::emitWord(const char16_t* s, qsizetype begin, qsizetype end, const Sink& onWord)
{
    // Most words are ASCII: nothing inside them to split at or rewrite, and their ends looked up
    // in a table made from ICU's own categories.
    static const std::array<bool, 128> asciiPunctuation = [] {
        std::array<bool, 128> table{};
        for (UChar32 c = 0; c < 128; ++c)
            table[size_t(c)] = isPunctuation(c);
        return table;
    }();
    bool ascii = true;
    for (qsizetype i = begin; i < end && ascii; ++i)
        ascii = s[i] < 0x80;
    if (ascii) {
        while (begin < end && asciiPunctuation[s[begin]])
            ++begin;
        while (end > begin && asciiPunctuation[s[end - 1]])
            --end;
        if (begin < end)
            give(QStringView(s + begin, end - begin), onWord);
        return;
    }

    // Unicode's rules keep a narrow no-break space inside a number ("10 000"); here every blank
    // separates words, as in the rest of the program.
    qsizetype pieceBegin = begin;
    for (qsizetype i = begin; i < end; ++i) {
        if (s[i] >= 0x80 && isBlank(s[i])) {
            emitPiece(s, pieceBegin, i, onWord);
            pieceBegin = i + 1;
        }
    }
    emitPiece(s, pieceBegin, end, onWord);
}

void UnicodeWords::emitPiece(const char16_t* s, qsizetype begin, qsizetype end, const Sink& onWord)
{
    // Connector punctuation such as "_" may begin or end a word under Unicode's rules.
    while (begin < end) {
        qsizetype i = begin;
        UChar32 c;
        U16_NEXT(s, i, end, c);
        if (!isPunctuation(c))
            break;
        begin = i;
    }
    while (end > begin) {
        qsizetype i = end;
        UChar32 c;
        U16_PREV(s, begin, i, c);
        if (!isPunctuation(c))
            break;
        end = i;
    }
    if (begin == end)
        return;

    bool rewrite = false;
    for (qsizetype i = begin; i < end && !rewrite; ++i)
        rewrite = s[i] >= 0x80 && isRewritten(s[i]);
    QStringView word(s + begin, end - begin);
    if (rewrite) {
        m_buffer.resize(0);
        for (const QChar qc : word) {
            const char16_t c = qc.unicode();
            if (c == 0x00AD)
                continue;
            m_buffer += c == 0x2019 ? QChar(u'\'') : isHyphen(c) ? QChar(u'-') : qc;
        }
        word = m_buffer;
        if (word.isEmpty())
            return;
    }
    give(word, onWord);
}

void UnicodeWords::give(QStringView word, const Sink& onWord)
{
    const bool lineBreak = m_lineBreak;
    m_lineBreak = false;
    onWord(word, lineBreak);
}

} // namespace tv
