#include "stoplist.h"

#include "platform/guard.h"
#include "words/builtinstoplists.h"

#include <QFile>
#include <QStringDecoder>

namespace tv {

namespace {

constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

QString fileFailure(const QString& origin, const QString& what)
{
    return QStringLiteral("The stop word file \"%1\" %2").arg(origin, what);
}

} // namespace

StopList StopList::builtin(QStringView name)
{
    for (int i = 0; i < kBuiltinStopListCount; ++i) {
        const BuiltinStopList& list = kBuiltinStopLists[i];
        if (name.compare(QStringView(list.name), Qt::CaseInsensitive) == 0 ||
            name.compare(QStringView(list.code), Qt::CaseInsensitive) == 0) {
            StopList result;
            result.m_words = QString::fromUtf16(list.words).split(u'\n', Qt::SkipEmptyParts);
            return result;
        }
    }
    throw Failure(QStringLiteral("There is no built-in stop list \"%1\"; there are: %2")
                      .arg(name.toString(), builtinNames().join(QStringLiteral(", "))));
}

QStringList StopList::builtinNames()
{
    QStringList names;
    for (int i = 0; i < kBuiltinStopListCount; ++i)
        names << QString::fromUtf16(kBuiltinStopLists[i].name);
    names.sort();
    return names;
}

StopList StopList::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(fileFailure(path, QStringLiteral("cannot be read: ") + file.errorString()));
    if (file.size() > kMaxFileBytes)
        throw Failure(fileFailure(path, QStringLiteral("is larger than 16 MB")));
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw Failure(fileFailure(path, QStringLiteral("cannot be read: ") + file.errorString()));
    if (bytes.size() > kMaxFileBytes)
        throw Failure(fileFailure(path, QStringLiteral("is larger than 16 MB")));
    return fromText(bytes, path);
}

StopList StopList::fromText(const QByteArray& bytes, const QString& origin)
{
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    StopList result;
    qsizetype lineNumber = 0;
    while (!rest.isEmpty()) {
        ++lineNumber;
        const qsizetype end = rest.indexOf('\n');
        const QByteArrayView lineBytes = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString line = decoder.decode(lineBytes);
        if (decoder.hasError())
            throw Failure(
                fileFailure(origin, QStringLiteral("is not UTF-8 text (line %1)").arg(lineNumber)));
        // A "#" inside a word ("c#") is part of it; at a line's start or after a blank it
        // starts a comment.
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == u'#' && (i == 0 || line[i - 1].isSpace())) {
                line.truncate(i);
                break;
            }
        }
        qsizetype wordStart = 0;
        for (qsizetype i = 0; i <= line.size(); ++i) {
            if (i == line.size() || line[i].isSpace()) {
                if (i > wordStart)
                    result.m_words << line.mid(wordStart, i - wordStart);
                wordStart = i + 1;
            }
        }
    }
    return result;
}

void StopList::add(const StopList& other)
{
    m_words += other.m_words;
}

} // namespace tv
