#include "concordance.h"

#include "keep/keptstore.h"
#include "platform/guard.h"
#include "words/tokenizer.h"

#include <QStringList>
#include <algorithm>

namespace tv {

namespace {

bool endsLine(QChar c)
{
    return c == u'\n' || c == u'\r';
}

// The context before `begin`: back to the start of its line, `width` characters at most, never
// half a surrogate pair.
QString leftContext(const QString& text, qsizetype begin, int width)
{
    qsizetype start = begin;
    while (start > 0 && begin - start < width && !endsLine(text[start - 1]))
        --start;
    if (start < begin && text[start].isLowSurrogate())
        ++start;
    return text.mid(start, begin - start);
}

QString rightContext(const QString& text, qsizetype end, int width)
{
    qsizetype stop = end;
    while (stop < text.size() && stop - end < width && !endsLine(text[stop]))
        ++stop;
    if (stop > end && text[stop - 1].isHighSurrogate())
        --stop;
    return text.mid(end, stop - end);
}

QStringList wordsOf(QStringView text)
{
    QStringList words;
    for (const QStringView w : text.split(u' ', Qt::SkipEmptyParts))
        for (const QStringView piece : w.split(u'\t', Qt::SkipEmptyParts))
            words << piece.toString();
    return words;
}

// What a side is sorted by: its words outward from the match, folded, joined by one blank.
QString sortKey(const QString& context, bool leftSide)
{
    QStringList words = wordsOf(context.toCaseFolded());
    if (leftSide)
        std::reverse(words.begin(), words.end());
    return words.join(u' ');
}

} // namespace

QString countedForm(const QString& words, const KeptRule& rule, bool ignoreCase)
{
    // The words on their own, without the stop list: a stop word is still a word to look for.
    TokenizerOptions options;
    options.rule = rule.rule;
    options.ignoreCase = ignoreCase;
    Tokenizer tokenizer(options);
    QStringList counted;
    tokenizer.forEachWord(words, [&](QStringView word) { counted << word.toString(); });
    if (counted.isEmpty())
        throw Failure(QStringLiteral("\"%1\" holds no word that a count would take").arg(words));
    if (counted.size() > 3)
        throw Failure(
            QStringLiteral("\"%1\" is more than three words: a phrase is two or three").arg(words));
    return counted.join(u' ');
}

Concordance findConcordance(const KeptTexts& store, int run, const QString& words, int width,
                            const std::optional<QString>& address)
{
    if (width < 0)
        throw Failure(QStringLiteral("A context is 0 or more characters wide, not %1").arg(width));
    const KeptRule rule = store.rule(run);
    // Letter case may have been chosen either way for each page.
    const QString forms[2] = {countedForm(words, rule, false), countedForm(words, rule, true)};
    TokenizerOptions options;
    options.rule = rule.rule;
    options.stopWords = rule.stopWords;
    options.phraseLength = int(forms[0].count(u' ')) + 1;
    Tokenizer tokenizer(options);

    Concordance result;
    result.word = forms[0];
    bool named = false;
    store.forEachText(
        run,
        [&](const KeptPage& page) {
            const QString& wanted = forms[page.ignoreCase ? 1 : 0];
            if (!named) {
                result.word = wanted;
                named = true;
            }
            tokenizer.setIgnoreCase(page.ignoreCase);
            tokenizer.forEachWordAt(page.text,
                                    [&](QStringView word, qsizetype begin, qsizetype end) {
                                        if (word != wanted)
                                            return;
                                        ConcordanceLine line;
                                        line.site = page.site;
                                        line.address = page.address;
                                        line.left = leftContext(page.text, begin, width);
                                        line.match = page.text.mid(begin, end - begin);
                                        line.right = rightContext(page.text, end, width);
                                        line.offset = begin;
                                        result.lines << line;
                                    });
        },
        address);
    for (const KeptPage& page : store.pages(run)) {
        if (page.state == KeptPage::Text::OverLimit && (!address || page.address == *address))
            ++result.pagesNotKept;
    }
    return result;
}

void sortConcordance(QList<ConcordanceLine>& lines, ConcordanceOrder order)
{
    if (order == ConcordanceOrder::Text) {
        std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
            return a.site != b.site ? a.site < b.site : a.offset < b.offset;
        });
        return;
    }
    const bool left = order == ConcordanceOrder::Left;
    std::vector<std::pair<QString, qsizetype>> keys;
    keys.reserve(size_t(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i)
        keys.emplace_back(sortKey(left ? lines[i].left : lines[i].right, left), i);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<ConcordanceLine> sorted;
    sorted.reserve(lines.size());
    for (const auto& key : keys)
        sorted << std::move(lines[key.second]);
    lines = std::move(sorted);
}

} // namespace tv
