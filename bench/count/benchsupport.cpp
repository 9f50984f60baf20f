#include "benchsupport.h"

#include "count/pagewords.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cmath>
#include <malloc.h>
#include <random>
#include <sys/resource.h>

namespace tv::bench {

namespace {

QString corpusFolder()
{
    const QByteArray fromEnvironment = qgetenv("TV_CORPUS");
    if (!fromEnvironment.isEmpty())
        return QString::fromLocal8Bit(fromEnvironment);
    return QStringLiteral(TV_SOURCE_DIR "/../shared/corpus");
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

} // namespace

qint64 countPieces(const QString& text)
{
    qint64 pieces = 0;
    forEachPiece(text, [&](QStringView piece, qsizetype, qsizetype) {
        if (!piece.isEmpty())
            ++pieces;
    });
    return pieces;
}

QString benchText(qint64 words, QString* source)
{
    const QString corpus = corpusText();
    const qint64 corpusWords = corpus.isEmpty() ? 0 : countPieces(corpus);
    if (corpusWords == 0) {
        if (source)
            *source = QStringLiteral("made-up text");
        return madeUpText(words);
    }
    if (source)
        *source = QStringLiteral("page corpus");
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

void figure(const QString& name, double value, const char* unit)
{
    QTextStream out(stdout);
    out << name << ' ' << QString::number(value, 'f', 3) << ' ' << unit << Qt::endl;
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

} // namespace tv::bench
