#include "textencoding.h"

namespace tv {

namespace {
constexpr auto kStateless = QStringConverter::Flag::Stateless;
}

bool systemCodePageIsUtf8()
{
    // Qt knows the code page only as "System"; the euro sign tells UTF-8 from any 8-bit one.
    QStringEncoder system(QStringConverter::System, kStateless);
    const QByteArray euro = system.encode(QStringView(u"\u20ac"));
    return euro == QByteArray("\xe2\x82\xac");
}

TextFileEncoder::TextFileEncoder()
    : TextFileEncoder(systemCodePageIsUtf8() ? QStringConverter::Utf8 : QStringConverter::System)
{
}

TextFileEncoder::TextFileEncoder(QStringConverter::Encoding encoding)
    : m_utf8(encoding == QStringConverter::Utf8), m_encoder(encoding, kStateless),
      m_decoder(encoding, kStateless)
{
}

void TextFileEncoder::append(QByteArray& out, QStringView text)
{
    const qsizetype start = out.size();
    if (m_utf8) {
        out.resize(start + m_encoder.requiredSpace(text.size()));
        char* end = m_encoder.appendToBuffer(out.data() + start, text);
        out.truncate(end - out.constData());
        return;
    }
    // An 8-bit code page: ASCII passes as it is; every other character is kept only when it
    // comes back unchanged from the code page, so nothing is silently turned into another letter.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.unicode() < 0x80) {
            out.append(char(ch.unicode()));
            continue;
        }
        qsizetype length = 1;
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            length = 2;
        const QStringView character = text.mid(i, length);
        const QByteArray bytes = m_encoder.encode(character);
        const bool held = !m_encoder.hasError() && QString(m_decoder.decode(bytes)) == character &&
                          !m_decoder.hasError();
        m_encoder.resetState();
        m_decoder.resetState();
        out.append(held ? bytes : QByteArray("?"));
        i += length - 1;
    }
}

} // namespace tv
