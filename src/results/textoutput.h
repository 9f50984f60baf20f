#pragma once
// The one writer of the results' text outputs: text gathered and written in large pieces, in
// the system's code page (or UTF-8), either to a file or to a device that is already open. A
// file is written to a temporary file in its folder, which takes the file's place only when
// everything was written: a failure never leaves a half-written file, and an existing file
// stays as it was.
#include "results/textencoding.h"

#include <QSaveFile>
#include <QString>
#include <memory>

class QIODevice;

namespace tv {

class TextOutput {
public:
    // The file at `path`, in the system code page or the given encoding.
    explicit TextOutput(const QString& path);
    TextOutput(const QString& path, QStringConverter::Encoding encoding);
    // The open `device` (standard output, say), in the system code page or the given encoding.
    explicit TextOutput(QIODevice& device);
    TextOutput(QIODevice& device, QStringConverter::Encoding encoding);
    // A file that was not committed is discarded.
    ~TextOutput();
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    // Starts the output. Throws Failure when the file cannot be created.
    void open();
    // Writes the text. Throws Failure the first time writing fails; after any failure, further
    // text is dropped without another one.
    void write(QStringView text);
    // Writes the text followed by CR LF, the same way.
    void writeLine(QStringView line);
    // Writes what is still gathered; a file then takes its place. Throws Failure when that
    // fails; after an earlier failure it discards the file without another one.
    void commit();

    bool failed() const { return m_failed; }

private:
    void flush();
    [[noreturn]] void fail(const QString& what);

    QString m_path; // the file, or "" for a device
    std::unique_ptr<QSaveFile> m_file;
    QIODevice* m_device = nullptr; // the file, or the device given
    TextFileEncoder m_encoder;
    QByteArray m_buffer;
    qsizetype m_flushSize;
    bool m_open = false;
    bool m_failed = false;
};

} // namespace tv
