#include "fetch/localfilepages.h"

#include "fetch/addressdisplay.h"
#include "fetch/pagetext.h"
#include "platform/failure.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QUrl>

namespace tv {

namespace {

// How much of a file's start is looked at to tell HTML from text.
constexpr qsizetype kSniffBytes = 1024;

bool looksLikeHtml(const QByteArray& body)
{
    const QByteArray start = body.left(kSniffBytes).toLower();
    for (const char* mark :
         {"<!doctype html", "<html", "<head", "<body", "<meta", "<title", "<p>", "<div", "<br"}) {
        if (start.contains(mark))
            return true;
    }
    return false;
}

QByteArrayView contentTypeOf(const QString& path, const QByteArray& body)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"html" || suffix == u"htm" || suffix == u"xhtml" || suffix == u"xht")
        return "text/html";
    if (suffix == u"txt" || suffix == u"text")
        return "text/plain";
    return looksLikeHtml(body) ? "text/html" : "text/plain";
}

FetchedPage failed(FetchedPage page, const QString& why, const QString& reason)
{
    page.outcome = FetchedPage::Outcome::Failed;
    page.error = QStringLiteral("Could not load %1: %2").arg(displayAddress(page.url), why);
    page.reason = reason;
    return page;
}

} // namespace

bool isLocalFileAddress(const QString& address)
{
    return address.trimmed().startsWith(QLatin1String("file:"), Qt::CaseInsensitive);
}

QString localFileAddress(const QString& path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

FetchedPage readLocalFile(const QString& address, qint64 maxBytes)
{
    QElapsedTimer clock;
    clock.start();
    FetchedPage page;
    page.address = address;
    page.url = address.trimmed();
    const QUrl url(page.url);
    if (!url.isValid() || url.scheme().compare(u"file", Qt::CaseInsensitive) != 0)
        return failed(page, QStringLiteral("it is not a file address"),
                      QStringLiteral("bad address"));
    if (!url.host().isEmpty() && url.host().compare(u"localhost", Qt::CaseInsensitive) != 0)
        return failed(page, QStringLiteral("only files on this machine can be read"),
                      QStringLiteral("not supported"));
    const QString path = url.toLocalFile();
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return failed(page, QStringLiteral("no such file"), QStringLiteral("not found"));
    if (info.isDir())
        return failed(page, QStringLiteral("it is a folder"), QStringLiteral("not a file"));
    // A device or a pipe may never end.
    if (!info.isFile())
        return failed(page, QStringLiteral("it is not a regular file"),
                      QStringLiteral("not a file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(page, file.errorString(), QStringLiteral("unreadable file"));
    QByteArray body = file.read(maxBytes + 1);
    if (body.size() > maxBytes) {
        body.truncate(maxBytes);
        page.warnings << QStringLiteral(
                             "%1 is larger than %2 bytes: only its first %2 were counted")
                             .arg(displayAddress(page.url), QLocale::c().toString(maxBytes));
    }
    page.url = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    page.bytes = body.size();
    try {
        page.text = pageText(body, contentTypeOf(path, body), &page.encoding);
        page.outcome = FetchedPage::Outcome::Read;
    } catch (...) {
        page.text.clear();
        return failed(page, describeException(std::current_exception()),
                      QStringLiteral("unreadable page"));
    }
    page.elapsedMs = clock.elapsed();
    return page;
}

LocalFilePages::LocalFilePages(PageSource& inner, qint64 maxBytes)
    : m_inner(inner), m_maxBytes(maxBytes)
{
}

FetchedPage LocalFilePages::fetchPage(const QString& address)
{
    if (isLocalFileAddress(address))
        return readLocalFile(address, m_maxBytes);
    return m_inner.fetchPage(address);
}

void LocalFilePages::announce(const QStringList& addresses)
{
    m_inner.announce(addresses);
}

} // namespace tv
