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

bool ScriptedDialogs::question(const QString& text, bool)
{
    questions << text;
    if (answers.isEmpty()) {
        unexpected << QStringLiteral("question: ") + text;
        return false;
    }
    return answers.dequeue();
}

QString ScriptedDialogs::inputBox(const QString& prompt)
{
    prompts << prompt;
    if (inputs.isEmpty()) {
        unexpected << QStringLiteral("input: ") + prompt;
        return {};
    }
    return inputs.dequeue();
}

QStringList ScriptedDialogs::openFileNames(const QString& title, const QString& filter)
{
    dialogTitles << title;
    dialogFilters << filter;
    if (openResults.isEmpty()) {
        unexpected << QStringLiteral("open: ") + title;
        return {};
    }
    return openResults.dequeue();
}

QString ScriptedDialogs::saveFileName(const QString& title, const QString& filter)
{
    dialogTitles << title;
    dialogFilters << filter;
    if (saveResults.isEmpty()) {
        unexpected << QStringLiteral("save: ") + title;
        return {};
    }
    return saveResults.dequeue();
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
    ++clipboardAttempts;
    if (clipboardFailures > 0) {
        --clipboardFailures;
        return false;
    }
    clipboard.clear();
    return true;
}

bool RecordingDesktop::setClipboardText(const QString& text)
{
    ++clipboardAttempts;
    if (clipboardFailures > 0) {
        --clipboardFailures;
        return false;
    }
    clipboard = text;
    clipboardSet = true;
    return true;
}

} // namespace tv::test
