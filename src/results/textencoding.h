#pragma once
// The encoding of the text files the program writes: the system's code page, without a
// byte-order mark.
#include <QByteArray>
#include <QStringConverter>
#include <QStringView>

namespace tv {

class TextFileEncoder {
public:
    // The system's code page.
    TextFileEncoder();
    // UTF-8 when `encoding` is QStringConverter::Utf8, else that 8-bit code page.
    explicit TextFileEncoder(QStringConverter::Encoding encoding);

    bool isUtf8() const { return m_utf8; }
    // Appends `text` to `out`; in an 8-bit code page a character it cannot hold becomes "?".
    void append(QByteArray& out, QStringView text);

private:
    bool m_utf8;
    QStringEncoder m_encoder;
    QStringDecoder m_decoder;
};

// True when the system's code page is UTF-8 (always so for Qt on Unix).
bool systemCodePageIsUtf8();

} // namespace tv
