#include "widgetdialogs.h"

#include "platform/apptitle.h"

#include <QFileDialog>
#include <QInputDialog>

namespace tv {

std::unique_ptr<QMessageBox> makeMessageBox(QMessageBox::Icon icon, const QString& title,
                                            const QString& text,
                                            QMessageBox::StandardButtons buttons, QWidget* owner)
{
    auto box = std::make_unique<QMessageBox>(icon, title, QString(), buttons, owner);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    return box;
}

void WidgetDialogs::information(const QString& text)
{
    makeMessageBox(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, m_owner)->exec();
}

bool WidgetDialogs::question(const QString& text, bool yesIsDefault)
{
    const auto box = makeMessageBox(QMessageBox::NoIcon, applicationTitle(), text,
                                    QMessageBox::Yes | QMessageBox::No, m_owner);
    box->setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    return box->exec() == QMessageBox::Yes;
}

QString WidgetDialogs::inputBox(const QString& prompt)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_owner, applicationTitle(), prompt, QLineEdit::Normal, {}, &ok);
    return ok ? text : QString();
}

QStringList WidgetDialogs::openFileNames(const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileNames(m_owner, title, {}, qtFilterFromPairs(filter));
}

QString WidgetDialogs::saveFileName(const QString& title, const QString& filter)
{
    // The command asks its own overwrite question.
    return QFileDialog::getSaveFileName(m_owner, title, {}, qtFilterFromPairs(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void WidgetDialogs::showErrorReport(const QString& text)
{
    const auto box = makeMessageBox(QMessageBox::Warning, QStringLiteral("Application Error"), text,
                                    QMessageBox::Ok, m_owner);
    box->setWindowModality(Qt::ApplicationModal);
    box->exec();
}

} // namespace tv
