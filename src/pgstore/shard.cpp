#include "shard.h"

#include <algorithm>

namespace tv {

std::optional<Shard> parseShard(QStringView text, QString& error)
{
    const qsizetype slash = text.indexOf(u'/');
    bool indexOk = false;
    bool countOk = false;
    Shard shard;
    if (slash > 0) {
        // Plain decimal digits only: toInt would also take "+1" or " 1".
        const QStringView k = text.left(slash);
        const QStringView n = text.mid(slash + 1);
        const auto digits = [](QStringView s) {
            return !s.isEmpty() && s.size() <= 9 && std::all_of(s.begin(), s.end(), [](QChar c) {
                return c.isDigit() && c < u'\x80';
            });
        };
        if (digits(k) && digits(n)) {
            shard.index = k.toInt(&indexOk);
            shard.count = n.toInt(&countOk);
        }
    }
    if (!indexOk || !countOk || shard.count < 1 || shard.index < 1 || shard.index > shard.count) {
        error = QStringLiteral("'%1' is not a shard: write K/N, the K-th of N shares (1 <= K <= N)")
                    .arg(text);
        return std::nullopt;
    }
    return shard;
}

} // namespace tv
