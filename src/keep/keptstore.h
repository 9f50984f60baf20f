#pragma once
// Where a run keeps what it counted of each page: the page's text after the text walk (before
// it is split into words), its addresses, encoding, size and words. Kept in an SQLite file in a
// temporary folder of the program's own, not in memory, so that a run over thousands of pages
// stays within its memory budget; the folder goes when the store does, and an earlier
// program's leftovers go when a store is made. One thread uses a store.
#include "keep/keptpage.h"
#include "keep/ownedfolder.h"
#include "platform/database.h"

#include <QHash>
#include <QList>
#include <functional>
#include <optional>

namespace tv {

class KeptTexts {
public:
    struct Limits {
        // The text one run keeps, in UTF-8 bytes: a page that would pass it is counted but not
        // kept, and so are the pages after it that do not fit either.
        qint64 runBytes = qint64(256) << 20;
        // The text the store keeps over all its runs: a new run drops the oldest runs until
        // this much is left for it.
        qint64 storeBytes = qint64(1) << 30;
    };

    KeptTexts();
    explicit KeptTexts(Limits limits);
    ~KeptTexts();
    KeptTexts(const KeptTexts&) = delete;
    KeptTexts& operator=(const KeptTexts&) = delete;

    const Limits& limits() const { return m_limits; }
    // The store's file ("" until the first run begins).
    QString path() const;

    // Begins a run that splits its pages by `rule`; gives its number. Makes the file on the
    // first call. Throws Failure when the file cannot be made or written.
    int beginRun(const KeptRule& rule);
    // Keeps what run `run` made of site `site` (from 1): the page's text and facts, `words` the
    // words counted from it under `ignoreCase`. A page counted again replaces its record.
    // Throws Failure when the file cannot be written (the disk is full, say).
    void keep(int run, int site, const FetchedPage& page, qint64 words, bool ignoreCase)
    {
        keep(run, site, page, page.text, words, ignoreCase);
    }
    // The same with the text counted given apart from the page.
    void keep(int run, int site, const FetchedPage& page, QStringView text, qint64 words,
              bool ignoreCase);
    // Drops a run and everything kept of it.
    void dropRun(int run);

    // The runs kept, oldest first.
    QList<int> runs() const;
    // The rule run `run` split its pages by; throws Failure for a run not kept.
    KeptRule rule(int run) const;
    // The text bytes run `run` keeps.
    qint64 runBytes(int run) const;
    // The records of a run's sites in site order, without their texts.
    QList<KeptPage> pages(int run) const;
    // One site's record with its text when kept; none when the run holds no such site.
    std::optional<KeptPage> page(int run, int site) const;
    // Calls onPage for each site of run `run` whose text was kept, in site order, with its
    // text; only one text is in memory at a time. With `address` set, only the sites typed so.
    void forEachText(int run, const std::function<void(const KeptPage&)>& onPage,
                     const std::optional<QString>& address = std::nullopt) const;

private:
    void open();
    void makeRoom(qint64 wanted);
    static KeptPage record(const Statement& row, bool withText);

    Limits m_limits;
    OwnedFolder m_folder;
    mutable Database m_db;
    QHash<int, qint64> m_runBytes; // the text bytes each run keeps
};

} // namespace tv
