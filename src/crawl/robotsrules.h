#pragma once
// robots.txt as the robots exclusion standard reads it: the groups for one crawler, Allow and
// Disallow with the longest-match rule and the "*" and "$" patterns, Crawl-delay, Sitemap lines.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace tv {

// The standard asks crawlers to read at least this much of a robots.txt; the rest is ignored.
constexpr qsizetype kMaxRobotsBytes = 500 * 1024;

class RobotsRules {
public:
    // Everything allowed (no robots.txt, or one that could not be found).
    static RobotsRules allowEverything() { return RobotsRules(); }
    // Nothing allowed (a robots.txt the server failed to give: the standard's safe side).
    static RobotsRules disallowEverything();

    // The rules for the crawler named `productToken` ("tallyvane"): its own groups when any
    // match (case-insensitively), else the "*" groups, else none. Never fails; lines it cannot
    // read are skipped.
    static RobotsRules parse(QByteArrayView text, QByteArrayView productToken);

    // True when the rules let the crawler fetch `url` (its path and query are matched; the
    // robots.txt itself is always allowed).
    bool allows(const QUrl& url) const;

    // The Crawl-delay of the chosen groups, in seconds (the largest when several give one).
    std::optional<double> crawlDelay() const { return m_crawlDelay; }
    // Every Sitemap line of the file, absolute, in order, each once.
    QStringList sitemaps() const { return m_sitemaps; }

private:
    struct Rule {
        QByteArray pattern; // normalised percent-encoding, without a final "$"
        bool anchored = false;
        bool allow = false;
    };
    QList<Rule> m_rules;
    bool m_disallowAll = false;
    std::optional<double> m_crawlDelay;
    QStringList m_sitemaps;
};

} // namespace tv
