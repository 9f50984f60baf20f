#include "serveraddress.h"

#include <QByteArray>
#include <cstring>
#include <string_view>
#include <vector>

namespace tv {

namespace {

constexpr std::string_view kPrefixes[] = {"postgresql://", "postgres://"};
constexpr std::string_view kPasswordKey = "password=";

struct Span {
    size_t start;
    size_t size;
};

// Where the passwords of the URI whose prefix ends at `from` sit (the URI runs to the end of
// `text`), the way libpq reads a URI: user info runs up to the first '@' met before any '/', its
// password follows the first ':' in it; parameters follow the first '?' and are split at '&'.
std::vector<Span> passwordSpans(std::string_view text, size_t from)
{
    std::vector<Span> spans;
    size_t p = from;
    while (p < text.size() && text[p] != '@' && text[p] != '/')
        ++p;
    if (p < text.size() && text[p] == '@') {
        const size_t colon = text.substr(from, p - from).find(':');
        if (colon != std::string_view::npos)
            spans.push_back({from + colon + 1, p - (from + colon + 1)});
    }
    const size_t end = text.size();
    const size_t query = text.find('?', from);
    if (query == std::string_view::npos)
        return spans;
    size_t start = query + 1;
    while (start < end) {
        size_t stop = text.find('&', start);
        if (stop == std::string_view::npos)
            stop = end;
        if (text.substr(start, stop - start).starts_with(kPasswordKey)) {
            const size_t value = start + kPasswordKey.size();
            spans.push_back({value, stop - value});
        }
        start = stop + 1;
    }
    return spans;
}

// Every password span of every URI in `text`.
std::vector<Span> allPasswordSpans(std::string_view text)
{
    std::vector<Span> spans;
    for (size_t at = 0; at < text.size(); ++at) {
        for (const std::string_view prefix : kPrefixes) {
            if (text.substr(at).starts_with(prefix)) {
                for (const Span& s : passwordSpans(text, at + prefix.size()))
                    if (s.size > 0)
                        spans.push_back(s);
                at += prefix.size() - 1;
                break;
            }
        }
    }
    return spans;
}

} // namespace

bool isServerAddress(QStringView text)
{
    for (const std::string_view prefix : kPrefixes)
        if (text.startsWith(QLatin1StringView(prefix.data(), qsizetype(prefix.size()))))
            return true;
    return false;
}

QString redactedAddress(const QString& address)
{
    const QByteArray utf8 = address.toUtf8();
    const std::string_view text(utf8.constData(), size_t(utf8.size()));
    QByteArray out;
    size_t done = 0;
    for (const Span& s : allPasswordSpans(text)) {
        out.append(text.substr(done, s.start - done).data(), qsizetype(s.start - done));
        out.append("****");
        done = s.start + s.size;
    }
    out.append(text.substr(done).data(), qsizetype(text.size() - done));
    return QString::fromUtf8(out);
}

QStringList addressSecrets(const QString& address)
{
    const QByteArray utf8 = address.toUtf8();
    const std::string_view text(utf8.constData(), size_t(utf8.size()));
    QStringList secrets;
    for (const Span& s : allPasswordSpans(text)) {
        const QByteArray written(text.substr(s.start, s.size).data(), qsizetype(s.size));
        secrets << QString::fromUtf8(written);
        const QString decoded = QString::fromUtf8(QByteArray::fromPercentEncoding(written));
        if (decoded != secrets.last())
            secrets << decoded;
    }
    return secrets;
}

QString withoutSecrets(QString text, const QStringList& secrets)
{
    for (const QString& secret : secrets)
        if (!secret.isEmpty())
            text.replace(secret, QStringLiteral("****"));
    return text;
}

void hidePasswordsInArguments(int argc, char** argv)
{
    for (int i = 0; i < argc; ++i) {
        if (!argv[i])
            continue;
        const std::string_view text(argv[i], std::strlen(argv[i]));
        for (const Span& s : allPasswordSpans(text))
            std::memset(argv[i] + s.start, '*', s.size);
    }
}

} // namespace tv
