#include "sitetext.h"

#include <QStringDecoder>
#include <array>

namespace tv {

namespace {

// 0x80 to 0x9F; the rest of windows-1252 is Latin-1.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte <= 0x9F) ? QChar(kWindows1252High[byte - 0x80])
                                                : QChar(char16_t(byte));
    }
    return text;
}

QString decodeLegacy8Bit(QByteArrayView bytes)
{
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(bytes);
#else
    return decodeWindows1252(bytes);
#endif
}

QString decodeSiteLine(QByteArrayView bytes)
{
    // Stateless: a sequence cut off at the line's end is an error, not something to carry over.
    // A byte-order mark inside the file is text like any other and stays.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeLegacy8Bit(bytes);
}

} // namespace tv
