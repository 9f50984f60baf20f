#pragma once
// Growing a page's bytes up to a size cap without the allocation overshooting it: a plain
// append doubles the allocation, so a page near the cap would hold nearly twice the cap.
#include <QByteArray>
#include <QByteArrayView>
#include <algorithm>

namespace tv {

// Appends as much of `data` as fits below `limit` bytes in all; `out`'s allocation stays
// within `limit` (or its size, if larger already).
inline void appendWithin(QByteArray& out, QByteArrayView data, qsizetype limit)
{
    data = data.first(std::clamp<qsizetype>(limit - out.size(), 0, data.size()));
    const qsizetype needed = out.size() + data.size();
    if (needed > out.capacity())
        out.reserve(std::min(limit, std::max(needed, out.capacity() * 2)));
    out.append(data);
}

} // namespace tv
