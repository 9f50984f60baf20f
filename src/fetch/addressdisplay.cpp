#include "fetch/addressdisplay.h"

#include "fetch/address.h"

namespace tv {

namespace {

// Where the host part (with its user information) begins: after "scheme://", else after the
// leading blanks of a typed row.
qsizetype authorityStart(const QString& address)
{
    qsizetype begin = 0;
    while (begin < address.size() && address.at(begin) == u' ')
        ++begin;
    qsizetype i = begin;
    if (i < address.size() && isSchemeStart(address.at(i))) {
        while (i < address.size() && isSchemeChar(address.at(i)))
            ++i;
        if (QStringView(address).sliced(i).startsWith(u"://"))
            return i + 3;
    }
    return begin;
}

} // namespace

QString displayAddress(const QString& address)
{
    const qsizetype start = authorityStart(address);
    qsizetype end = start;
    // The host part ends where a web address's path, query or fragment begins.
    while (end < address.size() && address.at(end) != u'/' && address.at(end) != u'?' &&
           address.at(end) != u'#')
        ++end;
    const qsizetype at = QStringView(address).sliced(start, end - start).lastIndexOf(u'@');
    if (at < 0)
        return address;
    const qsizetype colon = QStringView(address).sliced(start, at).indexOf(u':');
    if (colon < 0 || colon + 1 == at)
        return address; // no password, or an empty one
    return address.first(start + colon + 1) + QStringLiteral("***") + address.sliced(start + at);
}

} // namespace tv
