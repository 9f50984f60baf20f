#pragma once
// Runs the built tallyvane-count as a child process while this process keeps its event loop
// (and so its HTTP server) going, with no display in the child's environment.
#include <QByteArray>
#include <QObject>
#include <QProcessEnvironment>
#include <QStringList>
#include <functional>

class QSocketNotifier;

namespace tv::test {

struct CliOutcome {
    bool finished = false; // false: it did not end in time and was killed
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

struct CliRun {
    QStringList arguments;
    QByteArray input;                // standard input, closed after it
    QProcessEnvironment environment; // added to (and overriding) the inherited one
    QString errorFile;               // when set, standard error goes to this file
    QString outputFile;              // when set, standard output goes to this file
    std::function<void()> inChild;   // runs in the child before the program starts (limits)
    int timeoutMs = 120000;
};

// A terminal for the program to write to: its path goes to CliRun::errorFile or outputFile,
// and what the program wrote comes back byte for byte (no line-end translation), read as it
// arrives while the event loop runs.
class PseudoTerminal : public QObject {
public:
    PseudoTerminal();
    ~PseudoTerminal() override;
    bool isOpen() const { return m_master >= 0; }
    QString path() const { return m_path; }
    // Everything written so far.
    QByteArray written();

private:
    void drain();

    int m_master = -1;
    int m_slave = -1; // kept open, so that the terminal does not hang up between programs
    QString m_path;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_data;
};

QString cliProgram();
CliOutcome runCli(const CliRun& run);
CliOutcome runCli(const QStringList& arguments, const QByteArray& input = {});

} // namespace tv::test
