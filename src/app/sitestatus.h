#pragma once
// Beyond the original window: the site list with a second column that says what became of each
// site in the last run (waiting, reading, words counted, or failed with the reason in short,
// and the time taken), the full reason and the final address in its tooltip. The rows are the
// site list's own; a status follows its row when rows are removed above it.
#include "count/countresults.h"

#include <QAbstractTableModel>
#include <vector>

namespace tv {

class SiteListModel;

class SiteStatusModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SiteStatusModel(SiteListModel& sites, QObject* parent = nullptr);

    // A run begins over these site rows (from 1): each is waiting; the others keep theirs.
    void runBegins(const std::vector<int>& rows);
    // Site `site` of the run (from 1, in the run's order) is being read, or has its outcome.
    void siteStarted(int site);
    void siteFinished(const SiteOutcome& outcome);
    // A stopped run leaves the sites it did not reach as they were before it.
    void runEnds();

    // The status column's text and tooltip of site row `row` (from 1); "" for none.
    QString status(int row) const;
    QString statusTip(int row) const;
    // The site rows (from 1) whose page failed in the last run that reached them.
    std::vector<int> failedRows() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Status {
        enum class State { None, Waiting, Reading, Counted, Failed };
        State state = State::None;
        QString text;
        QString tip;
        State before = State::None; // what a stopped run puts back
        QString textBefore;
        QString tipBefore;
    };
    Status* statusOfSite(int site);
    void changed(int index);

    SiteListModel& m_sites;
    std::vector<Status> m_status; // one per site row
    std::vector<int> m_runRows;   // the run's sites as site rows (from 0)
};

} // namespace tv
