#pragma once
// The status line of a page's counted text, and what a view says when it has no text to show.
#include <QString>

namespace tv {

struct KeptPage;

// "https://example.org/ · UTF-8 · 12,345 bytes · 1,234 words": the address after redirects,
// the encoding the bytes were read in, their number and the words counted; for a page without
// text, the address and what became of it.
QString pageStatusLine(const KeptPage& page);

// Why a page has no text to show ("" when its text was kept): it failed, the row named no
// page, the run stopped first, or the run's texts had reached `runBytes`.
QString missingTextReason(const KeptPage& page, qint64 runBytes);

} // namespace tv
