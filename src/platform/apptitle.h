#pragma once
// The application title: the caption of every box and prompt without a title of its own.
#include <QString>

namespace tv {

QString productName();
// The product name cut at its last blanks until it is at most 40 characters long.
QString titleFromProductName(const QString& name);
void setApplicationTitle();
QString applicationTitle();

} // namespace tv
