#include "recorders.h"

namespace tv::test {

RecordingSink::RecordingSink() : m_previous(setReportSink(this)) {}

RecordingSink::~RecordingSink()
{
    setReportSink(m_previous);
}

void RecordingSink::showErrorReport(const QString& text)
{
    reports << text;
}

QList<int> RecordingSink::lines() const
{
    QList<int> result;
    for (const QString& r : reports) {
        const qsizetype at = r.indexOf(QStringLiteral("at line "));
        const qsizetype end = r.indexOf(u'\r', at);
        result << (at < 0 ? -1 : r.mid(at + 8, end - at - 8).toInt());
    }
    return result;
}

QStringList RecordingSink::descriptions() const
{
    QStringList result;
    for (const QString& r : reports)
        result << r.left(r.indexOf(QStringLiteral("\r\n")));
    return result;
}

void ScriptedDialogs::information(const QString& text)
{
    informations << text;
}

template <class T> T ScriptedDialogs::nextAnswer(QQueue<T>& queue, const QString& call)
{
    if (queue.isEmpty()) {
        unexpected << call;
        return T{};
    }
    return queue.dequeue();
}

bool ScriptedDialogs::question(const QString& text, bool)
{
    questions << text;
    return nextAnswer(answers, QStringLiteral("question: ") + text);
}

QString ScriptedDialogs::inputBox(const QString& prompt)
{
    prompts << prompt;
    return nextAnswer(inputs, QStringLiteral("input: ") + prompt);
}

QStringList ScriptedDialogs::openFileNames(const QString& title, const QString& filter)
{
    dialogTitles << title;
    dialogFilters << filter;
    return nextAnswer(openResults, QStringLiteral("open: ") + title);
}

QString ScriptedDialogs::saveFileName(const QString& title, const QString& filter)
{
    dialogTitles << title;
    dialogFilters << filter;
    return nextAnswer(saveResults, QStringLiteral("save: ") + title);
}

bool RecordingDesktop::openUrl(const QString& url)
{
    openedUrls << url;
    return true;
}

bool RecordingDesktop::openDocument(const QString& path)
{
    openedDocuments << path;
    return true;
}

bool RecordingDesktop::clearClipboard()
{
    if (refuseAttempt())
        return false;
    clipboard.clear();
    return true;
}

bool RecordingDesktop::setClipboardText(const QString& text)
{
    if (refuseAttempt())
        return false;
    clipboard = text;
    clipboardSet = true;
    return true;
}

bool RecordingDesktop::refuseAttempt()
{
    ++clipboardAttempts;
    if (clipboardFailures <= 0)
        return false;
    --clipboardFailures;
    return true;
}

} // namespace tv::test
