#include "countedmarks.h"

#include "keep/keptpage.h"
#include "words/tokenizer.h"

namespace tv {

QList<CountedMark> countedMarks(QStringView text, const KeptRule& rule, bool ignoreCase)
{
    TokenizerOptions options;
    options.rule = rule.rule;
    options.ignoreCase = ignoreCase;
    options.stopWords = rule.stopWords;
    Tokenizer tokenizer(options);
    QList<CountedMark> marks;
    tokenizer.walkPieces(
        text, [&](qsizetype begin, qsizetype end, QStringView word, Tokenizer::Fate fate) {
            const QStringView written = text.mid(begin, end - begin);
            if (fate == Tokenizer::Fate::Counted && word == written)
                return;
            CountedMark mark;
            mark.kind = fate == Tokenizer::Fate::Counted    ? CountedMark::Kind::Cleaned
                        : fate == Tokenizer::Fate::StopWord ? CountedMark::Kind::StopWord
                                                            : CountedMark::Kind::NoWord;
            mark.begin = begin;
            mark.end = end;
            mark.written = written.toString();
            if (fate == Tokenizer::Fate::Counted)
                mark.counted = word.toString();
            marks << mark;
        });
    return marks;
}

CountedText asCounted(QStringView text, const QList<CountedMark>& marks)
{
    CountedText counted;
    counted.text.reserve(text.size());
    qsizetype from = 0;
    for (const CountedMark& mark : marks) {
        counted.text += text.mid(from, mark.begin - from);
        CountedMark moved = mark;
        moved.begin = counted.text.size();
        counted.text += mark.kind == CountedMark::Kind::Cleaned ? mark.counted : mark.written;
        moved.end = counted.text.size();
        counted.marks << moved;
        from = mark.end;
    }
    counted.text += text.mid(from);
    return counted;
}

} // namespace tv
