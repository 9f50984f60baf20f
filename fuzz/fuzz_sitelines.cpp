// The site-list line reader: the rows of any bytes, read in two pieces cut where the first
// byte says, must be the rows of the same bytes read whole, and those of a plain reading of
// the line rules; no row is longer than a line may be.
#include "fuzztarget.h"
#include "sites/sitelinesplitter.h"
#include "sites/sitetext.h"

namespace {

// Lines end at CR or CR LF; a line feed inside a line ends a row of its own; a row longer than
// the limit is left out; a UTF-8 byte-order mark at the start is dropped.
QStringList plainRows(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringList rows;
    QByteArray row;
    bool lineOpen = false;
    const auto endRow = [&] {
        if (row.size() <= tv::SiteLineSplitter::kMaxLineBytes)
            rows << tv::decodeSiteLine(row);
        row.clear();
    };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r') {
            endRow();
            lineOpen = false;
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            endRow();
            lineOpen = true;
        } else {
            row += c;
            lineOpen = true;
        }
    }
    if (lineOpen)
        endRow();
    return rows;
}

} // namespace

TV_FUZZ_TARGET(sitelines)
{
    if (size == 0)
        return 0;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1);
    const qsizetype cut = bytes.isEmpty() ? 0 : qsizetype(data[0]) * bytes.size() / 255;

    tv::SiteLineSplitter whole;
    QStringList wholeRows;
    whole.feed(bytes, wholeRows);
    whole.finish(wholeRows);

    tv::SiteLineSplitter pieces;
    QStringList pieceRows;
    pieces.feed(bytes.first(cut), pieceRows);
    pieces.feed(bytes.sliced(cut), pieceRows);
    pieces.finish(pieceRows);

    tv::fuzz::check(pieceRows == wholeRows, "the cut changes nothing");
    tv::fuzz::check(wholeRows == plainRows(bytes), "the rows follow the line rules");
    tv::fuzz::check(whole.firstLongLine() == pieces.firstLongLine(), "the same long line told");
    for (const QString& row : wholeRows)
        tv::fuzz::check(row.size() <= tv::SiteLineSplitter::kMaxLineBytes, "a row fits a line");
    return 0;
}
