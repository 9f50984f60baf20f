#include "countbench.h"

#include "count/pagewords.h"
#include "support/benchsupport.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <random>

namespace tv::bench {

namespace {

// Non-empty pieces between blanks, tabs and line ends.
qint64 countPieces(const QString& text)
{
    qint64 pieces = 0;
    forEachPiece(text, [&](QStringView piece, qsizetype, qsizetype) {
        if (!piece.isEmpty())
            ++pieces;
    });
    return pieces;
}

QString corpusText()
{
    const QDir reference(corpusFolder() + QStringLiteral("/reference"));
    QString text;
    const QStringList names =
        reference.entryList({QStringLiteral("*.innertext.txt")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        QFile file(reference.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll()) + u'\n';
    }
    return text;
}

// Word frequencies of natural text fall off like 1/rank.
QString madeUpText(qint64 words)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    constexpr int kVocabulary = 200000;
    QString text;
    text.reserve(words * 8);
    for (qint64 i = 0; i < words; ++i) {
        const int rank = int(std::pow(double(kVocabulary), uniform(random)));
        text += QStringLiteral("w") + QString::number(rank * 7919 % 1000003, 36);
        text += (i % 12 == 11) ? u'\n' : (i % 5 == 4 ? u',' : u' ');
        if (i % 5 == 4)
            text += u' ';
    }
    return text;
}

// `words` words of the corpus: the whole of it as often as it fits, then its start.
QString corpusRepeated(const QString& corpus, qint64 corpusWords, qint64 words)
{
    QString text;
    text.reserve(qsizetype(double(corpus.size()) * double(words) / double(corpusWords)) + 64);
    qint64 have = 0;
    while (have + corpusWords <= words) {
        text += corpus;
        have += corpusWords;
    }
    // The rest from the start of the corpus, up to the word that completes the count.
    qsizetype end = 0;
    forEachPiece(corpus, [&](QStringView piece, qsizetype, qsizetype) {
        if (have < words && !piece.isEmpty()) {
            ++have;
            end = (piece.data() - corpus.constData()) + piece.size();
        }
    });
    text += QStringView(corpus).left(end);
    return text;
}

} // namespace

QString benchText(const char* run, qint64* words)
{
    const QString corpus = corpusText();
    const qint64 corpusWords = corpus.isEmpty() ? 0 : countPieces(corpus);
    const QString text =
        corpusWords == 0 ? madeUpText(kWords) : corpusRepeated(corpus, corpusWords, kWords);
    const qint64 pieces = countPieces(text);
    qInfo("%s over %lld words (%s)", run, pieces,
          corpusWords == 0 ? "made-up text" : "page corpus");
    if (words)
        *words = pieces;
    return text;
}

CountRequest benchRequest()
{
    CountRequest request;
    request.sites = {QStringLiteral("bench.example")};
    request.mode = CountMode::Combined;
    return request;
}

void addResultColumns(ResultsModel& results)
{
    results.addColumn(QStringLiteral("Results"), 3500);
    results.addColumn(QStringLiteral("Count"), 3000);
}

} // namespace tv::bench
