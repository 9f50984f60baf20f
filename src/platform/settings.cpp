#include "platform/settings.h"

#include "platform/failure.h"

#include <QSettings>

namespace tv {

namespace {
QSettings store()
{
    return QSettings(QStringLiteral("Quenrith"), QStringLiteral("Tallyvane"));
}
} // namespace

QString readSetting(const QString& key, const QString& defaultValue)
{
    return store().value(key, defaultValue).toString();
}

void writeSetting(const QString& key, const QString& value)
{
    QSettings s = store();
    s.setValue(key, value);
    s.sync();
    if (s.status() != QSettings::NoError)
        throw Failure(QStringLiteral("The setting \"%1\" could not be saved").arg(key));
}

bool textToBool(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = t.toDouble(&ok);
    if (!ok)
        throw Failure(QStringLiteral("Type mismatch"));
    return number != 0.0;
}

QString boolToText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace tv
