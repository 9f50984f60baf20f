#pragma once
// Turning a site row as typed into the address that is downloaded.
#include <QString>

namespace tv {

// The characters of a URL scheme: a letter first, then letters, digits, '+', '-' and '.'.
inline bool isSchemeStart(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
inline bool isSchemeChar(QChar c)
{
    return isSchemeStart(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// Blanks (only U+0020) trimmed at both ends. An address of at most 4 characters, or one that
// names the http or https scheme (any letter case), is used as it stands. Any other address of
// 5 or more characters without a scheme gets "http://" in front, and "/" behind when it is a
// bare host (nothing after the host and port). An address with another scheme ("ftp://",
// "mailto:") comes back trimmed; unsupportedScheme() names it. Never fails.
QString completeAddress(const QString& address);

// The scheme of a completed address that cannot be downloaded ("ftp", "file", "mailto"), in
// lower case; "" for http, https and an address without a scheme.
QString unsupportedScheme(const QString& url);

// Why such an address is not downloaded: "ftp addresses are not supported (only http and https)".
QString unsupportedSchemeText(const QString& scheme);

} // namespace tv
