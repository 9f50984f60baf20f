#include "results/textoutput.h"

#include "platform/failure.h"

#include <QDir>

namespace tv {

namespace {
// Text is gathered and written in large pieces: one system call per line would dominate a
// million-line file. A device (a pipe, say) gets smaller pieces, so a reader sees output early.
constexpr qsizetype kFileFlushSize = 1 << 20;
constexpr qsizetype kDeviceFlushSize = 1 << 16;
} // namespace

TextOutput::TextOutput(const QString& path)
    : m_path(path), m_file(std::make_unique<QSaveFile>(path)), m_device(m_file.get()),
      m_flushSize(kFileFlushSize)
{
}

TextOutput::TextOutput(const QString& path, QStringConverter::Encoding encoding)
    : m_path(path), m_file(std::make_unique<QSaveFile>(path)), m_device(m_file.get()),
      m_encoder(encoding), m_flushSize(kFileFlushSize)
{
}

TextOutput::TextOutput(QIODevice& device) : m_device(&device), m_flushSize(kDeviceFlushSize) {}

TextOutput::TextOutput(QIODevice& device, QStringConverter::Encoding encoding)
    : m_device(&device), m_encoder(encoding), m_flushSize(kDeviceFlushSize)
{
}

TextOutput::~TextOutput()
{
    if (m_open && m_file)
        m_file->cancelWriting();
}

void TextOutput::fail(const QString& what)
{
    m_failed = true;
    const QString reason = m_device->errorString();
    m_buffer.clear();
    if (m_open && m_file) {
        m_file->cancelWriting();
        m_file->commit(); // with writing cancelled this only drops the temporary file
    }
    m_open = false;
    if (!m_file)
        throw Failure(QStringLiteral("Cannot write the results: ") + reason);
    throw Failure(what + QDir::toNativeSeparators(m_path) + QStringLiteral(": ") + reason);
}

void TextOutput::open()
{
    if (m_failed || m_open)
        return;
    // Unbuffered: text is already gathered here, and a failed write then says why.
    if (m_file && !m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(QStringLiteral("Cannot create "));
    m_open = true;
    m_buffer.reserve(m_flushSize + 4096);
}

void TextOutput::flush()
{
    if (m_buffer.isEmpty())
        return;
    // A short write is legal (a nearly full disk, a size limit); the next write says why.
    qsizetype done = 0;
    while (done < m_buffer.size()) {
        const qint64 written = m_device->write(m_buffer.constData() + done, m_buffer.size() - done);
        if (written <= 0)
            fail(QStringLiteral("Cannot write "));
        done += qsizetype(written);
    }
    m_buffer.resize(0);
}

void TextOutput::write(QStringView text)
{
    if (!m_open)
        return;
    m_encoder.append(m_buffer, text);
    if (m_buffer.size() >= m_flushSize)
        flush();
}

void TextOutput::writeLine(QStringView line)
{
    if (!m_open)
        return;
    m_encoder.append(m_buffer, line);
    m_buffer.append("\r\n", 2);
    if (m_buffer.size() >= m_flushSize)
        flush();
}

void TextOutput::commit()
{
    if (!m_open)
        return;
    flush();
    m_open = false;
    if (m_file && !m_file->commit()) {
        // commit() has already dropped the temporary file
        m_failed = true;
        throw Failure(QStringLiteral("Cannot write ") + QDir::toNativeSeparators(m_path) +
                      QStringLiteral(": ") + m_file->errorString());
    }
}

} // namespace tv
