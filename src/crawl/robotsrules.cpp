#include "crawl/robotsrules.h"

#include <QUrl>

namespace tv {

namespace {

bool isUnreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One spelling for paths and patterns alike: escapes of unreserved characters undone, other
// escapes in upper case, bytes outside ASCII escaped.
QByteArray normalisePercent(QByteArrayView in)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == '%' && i + 2 < in.size() && hexValue(in[i + 1]) >= 0 && hexValue(in[i + 2]) >= 0) {
            const char decoded = char(hexValue(in[i + 1]) * 16 + hexValue(in[i + 2]));
            if (isUnreserved(decoded)) {
                out += decoded;
            } else {
                out += '%';
                out += hex[hexValue(in[i + 1])];
                out += hex[hexValue(in[i + 2])];
            }
            i += 2;
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            out += '%';
            out += hex[static_cast<unsigned char>(c) >> 4];
            out += hex[static_cast<unsigned char>(c) & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// "*" matches any run of characters; without the anchor the pattern need only match a prefix.
// Backtracks to the last "*" only, so the work stays near the product of the two lengths.
bool patternMatches(QByteArrayView pattern, bool anchored, QByteArrayView path)
{
    qsizetype p = 0;
    qsizetype s = 0;
    qsizetype star = -1;
    qsizetype mark = 0;
    while (s < path.size()) {
        if (!anchored && p == pattern.size())
            return true;
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = s;
        } else if (p < pattern.size() && pattern[p] == path[s]) {
            ++p;
            ++s;
        } else if (star >= 0) {
            p = star + 1;
            s = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// The product token a User-agent line names: its leading letters, "_" and "-" ("Tallyvane/1.0"
// names "tallyvane"), lower-cased; "*" stays.
QByteArray agentName(QByteArrayView value)
{
    if (value.startsWith('*'))
        return "*";
    qsizetype n = 0;
    while (n < value.size()) {
        const char c = value[n];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '-'))
            break;
        ++n;
    }
    return value.first(n).toByteArray().toLower();
}

struct Line {
    QByteArray key; // lower case
    QByteArray value;
};

std::optional<Line> splitLine(QByteArrayView raw)
{
    if (const qsizetype hash = raw.indexOf('#'); hash >= 0)
        raw = raw.first(hash);
    const qsizetype colon = raw.indexOf(':');
    if (colon <= 0)
        return std::nullopt;
    Line line;
    line.key = raw.first(colon).toByteArray().trimmed().toLower();
    line.value = raw.sliced(colon + 1).toByteArray().trimmed();
    return line;
}

} // namespace

RobotsRules RobotsRules::disallowEverything()
{
    RobotsRules rules;
    rules.m_disallowAll = true;
    return rules;
}

RobotsRules RobotsRules::parse(QByteArrayView text, QByteArrayView productToken)
{
    text = text.first(std::min(text.size(), kMaxRobotsBytes));
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    const QByteArray ownName = productToken.toByteArray().toLower();

    RobotsRules own;  // the groups that name this crawler
    RobotsRules star; // the "*" groups
    bool ownFound = false;
    bool inAgents = false; // reading the User-agent lines that open a group
    bool forOwn = false;
    bool forStar = false;
    QStringList sitemaps;

    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        const std::optional<Line> line = splitLine(text.sliced(start, end - start));
        start = end + 1;
        if (!line)
            continue;
        if (line->key == "user-agent") {
            if (!inAgents) {
                forOwn = forStar = false;
                inAgents = true;
            }
            const QByteArray name = agentName(line->value);
            if (name == "*") {
                forStar = true;
            } else if (!name.isEmpty() && name == ownName) {
                forOwn = true;
                ownFound = true;
            }
            continue;
        }
        if (line->key == "sitemap") {
            const QUrl url(QString::fromUtf8(line->value));
            const QString address = url.toString(QUrl::FullyEncoded);
            if (url.isValid() && !url.isRelative() && !sitemaps.contains(address))
                sitemaps << address;
            continue;
        }
        const bool isRule = line->key == "allow" || line->key == "disallow";
        if (!isRule && line->key != "crawl-delay")
            continue;
        inAgents = false;
        for (RobotsRules* group : {forOwn ? &own : nullptr, forStar ? &star : nullptr}) {
            if (!group)
                continue;
            if (line->key == "crawl-delay") {
                bool ok = false;
                const double seconds = line->value.toDouble(&ok);
                if (ok && seconds >= 0 && (!group->m_crawlDelay || seconds > *group->m_crawlDelay))
                    group->m_crawlDelay = seconds;
            } else if (!line->value.isEmpty()) {
                // An empty Disallow forbids nothing; an empty Allow allows what is allowed.
                Rule rule;
                rule.allow = line->key == "allow";
                QByteArrayView pattern = line->value;
                rule.anchored = pattern.endsWith('$');
                if (rule.anchored)
                    pattern.chop(1);
                rule.pattern = normalisePercent(pattern);
                group->m_rules.append(rule);
            }
        }
    }
    RobotsRules rules = ownFound ? own : star;
    rules.m_sitemaps = sitemaps;
    return rules;
}

bool RobotsRules::allows(const QUrl& url) const
{
    QByteArray path = url.path(QUrl::FullyEncoded).toUtf8();
    if (path.isEmpty())
        path = "/";
    if (path == "/robots.txt")
        return true;
    if (m_disallowAll)
        return false;
    if (url.hasQuery())
        path += '?' + url.query(QUrl::FullyEncoded).toUtf8();
    path = normalisePercent(path);
    // The longest matching pattern decides; on a tie Allow wins, the less restrictive.
    qsizetype best = -1;
    bool allowed = true;
    for (const Rule& rule : m_rules) {
        const qsizetype length = rule.pattern.size() + (rule.anchored ? 1 : 0);
        if (length < best || (length == best && allowed))
            continue;
        if (patternMatches(rule.pattern, rule.anchored, path)) {
            best = length;
            allowed = rule.allow;
        }
    }
    return allowed;
}

} // namespace tv
