#pragma once
// A failed download in a few words, for a site's status ("not found (404)", "timed out",
// "refused"); the full description stays in the report.
#include <QNetworkReply>
#include <QString>

namespace tv {

// The short reason for an HTTP status of 400 or more ("not found (404)").
QString statusReason(int status);

// The short reason for a network failure ("refused", "host not found").
QString networkErrorReason(QNetworkReply::NetworkError error);

} // namespace tv
