#pragma once
// Turning a site row as typed into the address that is downloaded.
#include <QString>

namespace tv {

// Blanks (only U+0020) trimmed at both ends; an address longer than 4 characters whose first
// four are not "http" in any letter case becomes "http://" + address + "/". Never fails.
QString completeAddress(const QString& address);

} // namespace tv
