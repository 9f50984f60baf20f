#pragma once
// A worker's share of the site list: shard K of N takes the rows K, K + N, K + 2N, ... (rows
// numbered from 1), that is every row whose position counted from 0 leaves K - 1 when divided
// by N. Every worker reads the same list, so the shards of one N never overlap and miss nothing.
#include <QString>
#include <QStringView>
#include <optional>

namespace tv {

struct Shard {
    int index = 1; // K, from 1
    int count = 1; // N

    bool contains(int row) const { return (row - 1) % count == index - 1; }
    QString text() const { return QString::number(index) + u'/' + QString::number(count); }
};

// Reads "K/N" (1 <= K <= N). Gives nothing and sets `error` when the text is not such a share.
std::optional<Shard> parseShard(QStringView text, QString& error);

} // namespace tv
