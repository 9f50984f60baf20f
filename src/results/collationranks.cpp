#include "results/collationranks.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>
#include <unicode/ucol.h>

namespace tv {

namespace {

struct Closer {
    void operator()(UCollator* c) const { ucol_close(c); }
};

// A key's first eight bytes in one number: most comparisons end there, without a look at the
// buffer.
struct Entry {
    quint64 prefix;
    quint32 offset;
    quint32 length; // without the closing zero byte
    int index;
};

std::vector<int> codePointRanks(int count, const std::function<QStringView(int)>& text)
{
    std::vector<int> byText(static_cast<size_t>(count));
    std::iota(byText.begin(), byText.end(), 0);
    std::stable_sort(byText.begin(), byText.end(),
                     [&](int a, int b) { return text(a).compare(text(b)) < 0; });
    std::vector<int> ranks(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k)
        ranks[size_t(byText[size_t(k)])] = k;
    return ranks;
}

} // namespace

std::vector<int> collationRanks(int count, const std::function<QStringView(int)>& text,
                                const QLocale& locale)
{
    UErrorCode status = U_ZERO_ERROR;
    const QByteArray name = locale.name().toLatin1();
    std::unique_ptr<UCollator, Closer> collator(
        ucol_open(locale.language() == QLocale::C ? "" : name.constData(), &status));
    if (U_FAILURE(status) || !collator)
        return codePointRanks(count, text);

    std::vector<uint8_t> keys(size_t(count) * 16 + 64);
    std::vector<Entry> entries(static_cast<size_t>(count));
    size_t used = 0;
    for (int i = 0; i < count; ++i) {
        const QStringView t = text(i);
        const auto chars = reinterpret_cast<const UChar*>(t.utf16());
        const int32_t length = int32_t(std::min<qsizetype>(t.size(), INT32_MAX / 4));
        int32_t need = 0;
        for (;;) {
            const size_t room = std::min<size_t>(keys.size() - used, INT32_MAX);
            need =
                ucol_getSortKey(collator.get(), chars, length, keys.data() + used, int32_t(room));
            if (need > 0 && size_t(need) <= room)
                break;
            keys.resize(std::max(keys.size() * 2, used + size_t(need) + 64));
        }
        quint64 prefix = 0;
        for (int b = 0; b < 8; ++b)
            prefix = (prefix << 8) | (b < need - 1 ? keys[used + size_t(b)] : 0);
        entries[size_t(i)] = {prefix, quint32(used), quint32(need - 1), i};
        used += size_t(need);
    }
    const uint8_t* bytes = keys.data();
    std::sort(entries.begin(), entries.end(), [bytes](const Entry& a, const Entry& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        if (a.length > 8 || b.length > 8) {
            const quint32 common = std::min(a.length, b.length);
            if (common > 8) {
                const int c = std::memcmp(bytes + a.offset + 8, bytes + b.offset + 8, common - 8);
                if (c != 0)
                    return c < 0;
            }
            if (a.length != b.length)
                return a.length < b.length;
        }
        return a.index < b.index;
    });
    std::vector<int> ranks(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k)
        ranks[size_t(entries[size_t(k)].index)] = k;
    return ranks;
}

} // namespace tv
