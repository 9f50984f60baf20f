#pragma once
// Whether the database counting method can run here (the SQLite driver of Qt SQL), and, when
// asked, an explanation with an offer to open the download pages.
#include <QString>
#include <functional>

namespace tv {

class Desktop;
class Dialogs;

struct ProviderProbe {
    bool available = false;
    int number = 0;      // failure number; 3706 means the provider is missing
    QString description; // failure description
};

// Tries to create the SQLite driver; never throws.
ProviderProbe probeSqliteProvider();

QString providerMissingMessage();
QString downloadPageUrl(int index); // 0 or 1

// True when the database method can run. Silent: never shows anything. Otherwise, when the
// provider is missing, explains and offers to open the two download pages. Never throws.
bool diagnoseDatabaseProvider(bool silent, Dialogs& dialogs, Desktop& desktop,
                              const std::function<ProviderProbe()>& probe = probeSqliteProvider);

} // namespace tv
