#include "textfilewriter.h"

#include "platform/failure.h"

#include <QDir>

namespace tv {

namespace {
// Lines are collected and written in large pieces: one system call per line would dominate a
// million-line file.
constexpr qsizetype kFlushSize = 1 << 20;
} // namespace

TextFileWriter::TextFileWriter(const QString& path) : m_path(path), m_file(path) {}

TextFileWriter::TextFileWriter(const QString& path, QStringConverter::Encoding encoding)
    : m_path(path), m_file(path), m_encoder(encoding)
{
}

TextFileWriter::~TextFileWriter()
{
    if (m_open)
        m_file.cancelWriting();
}

void TextFileWriter::fail(const QString& what)
{
    m_failed = true;
    const QString reason = m_file.errorString();
    if (m_open) {
        m_file.cancelWriting();
        m_file.commit(); // with writing cancelled this only drops the temporary file
        m_open = false;
    }
    throw Failure(what + QDir::toNativeSeparators(m_path) + QStringLiteral(": ") + reason);
}

void TextFileWriter::open()
{
    if (m_failed || m_open)
        return;
    // Unbuffered: lines are already gathered here, and a failed write then says why.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(QStringLiteral("Cannot create "));
    m_open = true;
    m_buffer.reserve(kFlushSize + 4096);
}

void TextFileWriter::flush()
{
    if (m_buffer.isEmpty())
        return;
    // A short write is legal (a nearly full disk, a size limit); the next write says why.
    qsizetype done = 0;
    while (done < m_buffer.size()) {
        const qint64 written = m_file.write(m_buffer.constData() + done, m_buffer.size() - done);
        if (written <= 0) {
            m_buffer.clear();
            fail(QStringLiteral("Cannot write "));
        }
        done += qsizetype(written);
    }
    m_buffer.resize(0);
}

void TextFileWriter::writeLine(QStringView line)
{
    if (!m_open)
        return;
    m_encoder.append(m_buffer, line);
    m_buffer.append("\r\n", 2);
    if (m_buffer.size() >= kFlushSize)
        flush();
}

void TextFileWriter::commit()
{
    if (!m_open)
        return;
    flush();
    if (!m_file.commit()) {
        m_open = false; // commit() has already dropped the temporary file
        m_failed = true;
        throw Failure(QStringLiteral("Cannot write ") + QDir::toNativeSeparators(m_path) +
                      QStringLiteral(": ") + m_file.errorString());
    }
    m_open = false;
}

} // namespace tv
