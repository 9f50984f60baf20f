#include "keptstore.h"

#include "platform/guard.h"

#include <QFile>

namespace tv {

namespace {

const QString kFolderPrefix = QStringLiteral("tallyvane-kept-");
const QString kFileName = QStringLiteral("texts.sqlite");

// The columns of a page's record, in the order record() reads them; the text comes last.
const QString kColumns = QStringLiteral(
    "site, address, url, encoding, bytes, words, ignore_case, outcome, error, state");

int stateNumber(KeptPage::Text state)
{
    return int(state);
}

} // namespace

KeptTexts::KeptTexts() : KeptTexts(Limits()) {}

KeptTexts::KeptTexts(Limits limits) : m_limits(limits), m_folder(kFolderPrefix) {}

KeptTexts::~KeptTexts()
{
    m_db.close();
}

QString KeptTexts::path() const
{
    return m_db.path();
}

void KeptTexts::open()
{
    if (m_db.isOpen())
        return;
    const QString path = m_folder.create() + u'/' + kFileName;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Failure(
            QStringLiteral("Cannot make the file \"%1\": %2").arg(path, file.errorString()));
    file.close();
    m_db.open(path);
    // The file lives as long as the program: a crash loses it anyway, so nothing waits for
    // the disk, and no other program may use it.
    m_db.exec(QStringLiteral("PRAGMA synchronous = OFF"));
    m_db.exec(QStringLiteral("PRAGMA journal_mode = MEMORY"));
    m_db.exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
    m_db.exec(QStringLiteral("CREATE TABLE runs (id INTEGER PRIMARY KEY, rule INTEGER, "
                             "stop_words TEXT, phrase_length INTEGER)"));
    // The text last, so that reading the other columns never reads the text.
    m_db.exec(QStringLiteral(
        "CREATE TABLE pages (run INTEGER, site INTEGER, address TEXT, url TEXT, encoding TEXT, "
        "bytes INTEGER, words INTEGER, ignore_case INTEGER, outcome INTEGER, error TEXT, "
        "state INTEGER, text_bytes INTEGER, text BLOB, UNIQUE (run, site))"));
}

int KeptTexts::beginRun(const KeptRule& rule)
{
    open();
    makeRoom(m_limits.runBytes);
    Statement insert = m_db.prepare(QStringLiteral(
        "INSERT INTO runs (rule, stop_words, phrase_length) VALUES (:rule, :stops, :length)"));
    insert.bind(QStringLiteral(":rule"), int(rule.rule));
    insert.bind(QStringLiteral(":stops"), rule.stopWords.words().join(u'\n'));
    insert.bind(QStringLiteral(":length"), rule.phraseLength);
    insert.exec();
    Statement last = m_db.query(QStringLiteral("SELECT last_insert_rowid()"));
    last.next();
    const int run = last.value(0).toInt();
    last.finish();
    m_runBytes.insert(run, 0);
    return run;
}

void KeptTexts::makeRoom(qint64 wanted)
{
    const QList<int> kept = runs();
    qint64 total = 0;
    for (int run : kept)
        total += runBytes(run);
    for (int run : kept) {
        if (total + wanted <= m_limits.storeBytes)
            break;
        total -= runBytes(run);
        dropRun(run);
    }
}

void KeptTexts::keep(int run, int site, const FetchedPage& page, QStringView counted, qint64 words,
                     bool ignoreCase)
{
    if (!m_db.isOpen())
        throw Failure(QStringLiteral("No run is being kept"));
    // A site counted again gives its bytes back before its new text is weighed.
    Statement old = m_db.prepare(
        QStringLiteral("SELECT text_bytes FROM pages WHERE run = :run AND site = :site"));
    old.bind(QStringLiteral(":run"), run);
    old.bind(QStringLiteral(":site"), site);
    old.exec();
    const qint64 replaced = old.next() ? old.value(0).toLongLong() : 0;
    old.finish();

    KeptPage::Text state = KeptPage::Text::NotRead;
    QByteArray text;
    if (page.outcome == FetchedPage::Outcome::Read) {
        text = counted.toUtf8();
        const bool fits = runBytes(run) - replaced + text.size() <= m_limits.runBytes;
        state = fits ? KeptPage::Text::Kept : KeptPage::Text::OverLimit;
        if (!fits)
            text.clear();
    }

    Statement insert = m_db.prepare(
        QStringLiteral("INSERT OR REPLACE INTO pages (run, %1, text_bytes, text) VALUES (:run, "
                       ":site, :address, :url, :encoding, :bytes, :words, :ignoreCase, :outcome, "
                       ":error, :state, :textBytes, :text)")
            .arg(kColumns));
    insert.bind(QStringLiteral(":run"), run);
    insert.bind(QStringLiteral(":site"), site);
    insert.bind(QStringLiteral(":address"), page.address);
    insert.bind(QStringLiteral(":url"), page.url);
    insert.bind(QStringLiteral(":encoding"), QString::fromLatin1(page.encoding));
    insert.bind(QStringLiteral(":bytes"), page.bytes);
    insert.bind(QStringLiteral(":words"), words);
    insert.bind(QStringLiteral(":ignoreCase"), ignoreCase ? 1 : 0);
    insert.bind(QStringLiteral(":outcome"), int(page.outcome));
    insert.bind(QStringLiteral(":error"), page.error);
    insert.bind(QStringLiteral(":state"), stateNumber(state));
    insert.bind(QStringLiteral(":textBytes"), qint64(text.size()));
    insert.bind(QStringLiteral(":text"), text);
    insert.exec();
    m_runBytes[run] += text.size() - replaced;
}

void KeptTexts::dropRun(int run)
{
    if (!m_db.isOpen())
        return;
    for (const QString& table :
         {QStringLiteral("pages WHERE run"), QStringLiteral("runs WHERE id")}) {
        Statement drop = m_db.prepare(QStringLiteral("DELETE FROM %1 = :run").arg(table));
        drop.bind(QStringLiteral(":run"), run);
        drop.exec();
    }
    m_runBytes.remove(run);
}

QList<int> KeptTexts::runs() const
{
    QList<int> runs;
    if (!m_db.isOpen())
        return runs;
    Statement all = m_db.query(QStringLiteral("SELECT id FROM runs ORDER BY id"));
    while (all.next())
        runs << all.value(0).toInt();
    return runs;
}

KeptRule KeptTexts::rule(int run) const
{
    if (m_db.isOpen()) {
        Statement find = m_db.prepare(
            QStringLiteral("SELECT rule, stop_words, phrase_length FROM runs WHERE id = :run"));
        find.bind(QStringLiteral(":run"), run);
        find.exec();
        if (find.next()) {
            KeptRule rule;
            rule.rule = WordRule(find.value(0).toInt());
            const QString stops = find.value(1).toString();
            if (!stops.isEmpty())
                rule.stopWords = StopList::fromText(stops.toUtf8(), QStringLiteral("the run"));
            rule.phraseLength = find.value(2).toInt();
            return rule;
        }
    }
    throw Failure(QStringLiteral("The texts of run %1 are not kept").arg(run));
}

qint64 KeptTexts::runBytes(int run) const
{
    return m_runBytes.value(run);
}

KeptPage KeptTexts::record(const Statement& row, bool withText)
{
    KeptPage page;
    page.site = row.value(0).toInt();
    page.address = row.value(1).toString();
    page.url = row.value(2).toString();
    page.encoding = row.value(3).toString().toLatin1();
    page.bytes = row.value(4).toLongLong();
    page.words = row.value(5).toLongLong();
    page.ignoreCase = row.value(6).toInt() != 0;
    page.outcome = FetchedPage::Outcome(row.value(7).toInt());
    page.error = row.value(8).toString();
    page.state = KeptPage::Text(row.value(9).toInt());
    if (withText && page.state == KeptPage::Text::Kept)
        page.text = QString::fromUtf8(row.value(10).toByteArray());
    return page;
}

QList<KeptPage> KeptTexts::pages(int run) const
{
    QList<KeptPage> pages;
    if (!m_db.isOpen())
        return pages;
    Statement all = m_db.prepare(
        QStringLiteral("SELECT %1 FROM pages WHERE run = :run ORDER BY site").arg(kColumns));
    all.bind(QStringLiteral(":run"), run);
    all.exec();
    while (all.next())
        pages << record(all, false);
    return pages;
}

std::optional<KeptPage> KeptTexts::page(int run, int site) const
{
    if (!m_db.isOpen())
        return std::nullopt;
    Statement find =
        m_db.prepare(QStringLiteral("SELECT %1, text FROM pages WHERE run = :run AND site = :site")
                         .arg(kColumns));
    find.bind(QStringLiteral(":run"), run);
    find.bind(QStringLiteral(":site"), site);
    find.exec();
    if (!find.next())
        return std::nullopt;
    KeptPage page = record(find, true);
    find.finish();
    return page;
}

void KeptTexts::forEachText(int run, const std::function<void(const KeptPage&)>& onPage,
                            const std::optional<QString>& address) const
{
    if (!m_db.isOpen())
        return;
    Statement all = m_db.prepare(
        QStringLiteral("SELECT %1, text FROM pages WHERE run = :run AND state = :kept%2 "
                       "ORDER BY site")
            .arg(kColumns, address ? QStringLiteral(" AND address = :address") : QString()));
    all.bind(QStringLiteral(":run"), run);
    all.bind(QStringLiteral(":kept"), stateNumber(KeptPage::Text::Kept));
    if (address)
        all.bind(QStringLiteral(":address"), *address);
    all.exec();
    while (all.next())
        onPage(record(all, true));
}

} // namespace tv
