#include "sitelinesplitter.h"

#include "sites/sitetext.h"

#include <utility>

namespace tv {

namespace {
constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");
}

void SiteLineSplitter::feed(QByteArrayView bytes, QStringList& rows)
{
    if (m_started) {
        split(bytes, rows);
        return;
    }
    m_head.append(bytes);
    if (m_head.size() < kUtf8Bom.size())
        return;
    m_started = true;
    const QByteArray head = std::exchange(m_head, {});
    QByteArrayView view(head);
    if (view.startsWith(kUtf8Bom))
        view = view.sliced(kUtf8Bom.size());
    split(view, rows);
}

void SiteLineSplitter::finish(QStringList& rows)
{
    if (!m_started) {
        // Shorter than a byte-order mark: whatever is there is text.
        m_started = true;
        const QByteArray head = std::exchange(m_head, {});
        split(head, rows);
    }
    if (m_lineOpen)
        endRow({}, rows);
    m_lineOpen = false;
    m_afterCr = false;
}

void SiteLineSplitter::split(QByteArrayView bytes, QStringList& rows)
{
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        if (m_afterCr) {
            m_afterCr = false;
            if (*p == '\n') {
                ++p;
                continue;
            }
        }
        const char* stop = p;
        while (stop < end && *stop != '\r' && *stop != '\n')
            ++stop;
        if (stop > p)
            m_lineOpen = true;
        if (stop == end) {
            keepPiece(QByteArrayView(p, stop - p));
            return;
        }
        endRow(QByteArrayView(p, stop - p), rows);
        if (*stop == '\r') {
            m_lineOpen = false;
            m_afterCr = true;
        } else {
            // The line goes on after a line feed, so the end of the file still ends a row.
            m_lineOpen = true;
        }
        p = stop + 1;
    }
}

void SiteLineSplitter::keepPiece(QByteArrayView bytes)
{
    if (m_skipping)
        return;
    if (m_piece.size() + bytes.size() > kMaxLineBytes) {
        lineTooLong();
        return;
    }
    m_piece.append(bytes);
}

void SiteLineSplitter::lineTooLong()
{
    m_skipping = true;
    m_piece.clear();
    m_piece.squeeze();
    if (m_firstLongLine == 0)
        m_firstLongLine = m_line;
}

void SiteLineSplitter::endRow(QByteArrayView tail, QStringList& rows)
{
    if (!m_skipping && m_piece.size() + tail.size() > kMaxLineBytes)
        lineTooLong();
    ++m_line;
    if (m_skipping) {
        m_skipping = false;
        return;
    }
    if (m_piece.isEmpty()) {
        rows.append(decodeSiteLine(tail));
        return;
    }
    m_piece.append(tail);
    rows.append(decodeSiteLine(m_piece));
    m_piece.clear();
}

} // namespace tv
