#pragma once
// Writing a text file in one piece: the lines go to a temporary file in the target's folder,
// which takes the target's place only when every line was written. A failure therefore never
// leaves a half-written file, and an existing file stays as it was.
#include "results/textencoding.h"

#include <QSaveFile>
#include <QString>

namespace tv {

class TextFileWriter {
public:
    // In the system code page.
    explicit TextFileWriter(const QString& path);
    TextFileWriter(const QString& path, QStringConverter::Encoding encoding);
    // A file that was not committed is discarded.
    ~TextFileWriter();

    // Starts the file. Throws Failure when it cannot be created.
    void open();
    // Writes the text followed by CR LF. Throws Failure the first time writing fails; after
    // any failure, further lines are dropped without another report.
    void writeLine(QStringView line);
    // Puts the file in the target's place. Throws Failure when that fails; after an earlier
    // failure it discards the file without another report.
    void commit();

    bool failed() const { return m_failed; }

private:
    void flush();
    [[noreturn]] void fail(const QString& what);

    QString m_path;
    QSaveFile m_file;
    TextFileEncoder m_encoder;
    QByteArray m_buffer;
    bool m_open = false;
    bool m_failed = false;
};

} // namespace tv
