#pragma once
// The per-user settings store: organisation "Quenrith", application "Tallyvane".
#include <QString>

namespace tv {

QString readSetting(const QString& key, const QString& defaultValue);
// Written through to the store at once: the program may end without a chance to flush.
void writeSetting(const QString& key, const QString& value);

// "True"/"False" in any letter case, or a number (zero is false). Throws Failure otherwise.
bool textToBool(const QString& text);
QString boolToText(bool value);

} // namespace tv
