#pragma once
// A folder of the program's own in the temporary folder, for files that live as long as the
// program does. Its owner holds a lock in it for its whole life and removes the folder with
// everything in it when it goes. A program that could not (killed, crashed) leaves its folder
// behind; the next one to make a folder of the same kind removes it, once the lock is free.
#include <QLockFile>
#include <QString>
#include <memory>

namespace tv {

class OwnedFolder {
public:
    // `prefix` names the kind ("tallyvane-kept-"): leftovers are looked for under it.
    explicit OwnedFolder(QString prefix);
    ~OwnedFolder();
    OwnedFolder(const OwnedFolder&) = delete;
    OwnedFolder& operator=(const OwnedFolder&) = delete;

    // Removes the leftovers of earlier programs, then makes the folder and takes its lock;
    // gives its path. Throws Failure when it cannot.
    QString create();
    bool isCreated() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    // Removes the folder now (the destructor would).
    void remove();

    // Removes the folders of this kind whose owner is gone, if they belong to this user.
    static void removeLeftovers(const QString& prefix);

private:
    QString m_prefix;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace tv
