#include "fuzztarget.h"

#include <QHash>
#include <QStringDecoder>
#include <cstdio>
#include <cstdlib>

namespace tv::fuzz {

void check(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

bool isWellFormedUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

bool hasOnlyPairedSurrogates(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return false;
    }
    return true;
}

HeadAndBody splitHead(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView all(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype end = all.first(std::min<qsizetype>(all.size(), 256)).indexOf('\n');
    if (end < 0)
        return {QByteArrayView(), all};
    return {all.first(end), all.sliced(end + 1)};
}

#ifndef TV_FUZZ_LIBFUZZER
namespace {
QHash<QByteArray, Target>& registry()
{
    static QHash<QByteArray, Target> targets;
    return targets;
}
} // namespace

bool registerTarget(const char* name, Target target)
{
    registry().insert(QByteArray(name), target);
    return true;
}

Target findTarget(const char* name)
{
    return registry().value(QByteArray(name), nullptr);
}
#endif

} // namespace tv::fuzz
