#pragma once
// What the counting engines need from page retrieval: one site row in, the page's text out.
#include <QString>
#include <QStringList>

namespace tv {

class PageSource {
public:
    virtual ~PageSource() = default;

    // The rendered text of the page named by a site row (as typed). Failures are reported
    // through the error report of "Sorting.fetchUrl" and give "".
    virtual QString fetchUrl(const QString& address) = 0;

    // A run tells which rows it will ask for, in order, so that downloads can start early.
    // Results and messages stay as if each page were fetched when asked for.
    virtual void announce(const QStringList& addresses) { (void)addresses; }
};

} // namespace tv
