#pragma once
// Cuts the bytes of a site-list file into rows, the way sequential line input reads them:
// a line ends at CR or CR LF; a line feed inside a line ends a row of its own.
#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

namespace tv {

// So "a\nb\n" gives "a", "b" and "", while "a\r\nb\r\n" and "a\rb\r" give "a" and "b".
// A UTF-8 byte-order mark at the start of the file is dropped. A line longer than any address
// (kMaxLineBytes) gives no row: a file of one endless line would otherwise fill memory.
class SiteLineSplitter {
public:
    static constexpr qsizetype kMaxLineBytes = 8192;

    // Splits the next bytes of the file; each finished row is appended to `rows`.
    void feed(QByteArrayView bytes, QStringList& rows);
    // The end of the file: appends the last row unless the file ended with CR or CR LF.
    void finish(QStringList& rows);

    // The number (from 1, as an editor counts lines) of the first line that was too long and
    // skipped, as soon as it passes the limit; 0 while there is none.
    qsizetype firstLongLine() const { return m_firstLongLine; }

private:
    void split(QByteArrayView bytes, QStringList& rows);
    void endRow(QByteArrayView tail, QStringList& rows);
    // Keeps the start of a row cut across two chunks, unless the row is already too long.
    void keepPiece(QByteArrayView bytes);
    void lineTooLong();

    // The first bytes, held back until it is clear whether they are a byte-order mark.
    QByteArray m_head;
    bool m_started = false;
    // A row cut across two chunks.
    QByteArray m_piece;
    // Something (text or a line feed) was read since the last CR or CR LF.
    bool m_lineOpen = false;
    // The last byte was a CR, so a line feed next belongs to it.
    bool m_afterCr = false;
    // The current line is too long: its bytes are dropped until it ends.
    bool m_skipping = false;
    qsizetype m_line = 1;
    qsizetype m_firstLongLine = 0;
};

} // namespace tv
