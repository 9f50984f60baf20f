#include "pgtestserver.h"

#include "pgstore/pgconnection.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <atomic>

namespace tv::test {

namespace {

QString root()
{
    return qEnvironmentVariable("TV_PGTEST_ROOT");
}

QString readPassword()
{
    QFile file(root() + QStringLiteral("/password"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// Runs the server script; gives its output, or nothing (and `reason`) when it failed.
std::optional<QString> runScript(const QStringList& arguments, QString& reason)
{
    QProcess script;
    script.start(qEnvironmentVariable("TV_PGTEST_SERVER"), arguments);
    if (!script.waitForFinished(120000) || script.exitStatus() != QProcess::NormalExit ||
        script.exitCode() != 0) {
        reason = QStringLiteral("the test server script failed: ") +
                 QString::fromUtf8(script.readAllStandardError());
        return std::nullopt;
    }
    return QString::fromUtf8(script.readAllStandardOutput()).trimmed();
}

} // namespace

PgTestServer::PgTestServer(int port, QString password, QString ownName)
    : m_port(port), m_password(std::move(password)), m_ownName(std::move(ownName))
{
}

PgTestServer::PgTestServer(PgTestServer&& other) noexcept
    : m_port(other.m_port), m_password(std::move(other.m_password)),
      m_ownName(std::move(other.m_ownName))
{
    other.m_ownName.clear();
}

PgTestServer& PgTestServer::operator=(PgTestServer&& other) noexcept
{
    if (this != &other) {
        if (!m_ownName.isEmpty())
            stop();
        m_port = other.m_port;
        m_password = std::move(other.m_password);
        m_ownName = std::move(other.m_ownName);
        other.m_ownName.clear();
    }
    return *this;
}

PgTestServer::~PgTestServer()
{
    if (!m_ownName.isEmpty())
        stop();
}

std::optional<PgTestServer> PgTestServer::shared(QString& reason)
{
    const int port = qEnvironmentVariableIntValue("TV_PGTEST_PORT");
    const QString password = readPassword();
    if (port <= 0 || password.isEmpty() || qEnvironmentVariableIsEmpty("TV_PGTEST_SERVER")) {
        reason = QStringLiteral("no test database server: ./scripts/test starts one (and sets "
                                "TV_PGTEST_ROOT, TV_PGTEST_PORT and TV_PGTEST_SERVER)");
        return std::nullopt;
    }
    return PgTestServer(port, password, QString());
}

std::unique_ptr<PgTestServer> PgTestServer::startOwn(const QString& name, QString& reason)
{
    QString sharedReason;
    if (!shared(sharedReason)) {
        reason = sharedReason;
        return nullptr;
    }
    const QString ownName = name + u'-' + QString::number(QCoreApplication::applicationPid());
    const auto port = runScript({QStringLiteral("start"), root(), ownName}, reason);
    if (!port)
        return nullptr;
    return std::unique_ptr<PgTestServer>(new PgTestServer(port->toInt(), readPassword(), ownName));
}

QString PgTestServer::address(const QString& database, bool withPassword) const
{
    QString user = QStringLiteral("tallyvane");
    if (withPassword)
        user += u':' + QString::fromLatin1(QUrl::toPercentEncoding(m_password));
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3")
        .arg(user, QString::number(m_port), database);
}

QString PgTestServer::createDatabase(const QString& extra)
{
    static std::atomic<int> made{0};
    const QString name =
        QStringLiteral("tvtest_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    exec(QStringLiteral("postgres"),
         QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 %2").arg(name, extra));
    return name;
}

void PgTestServer::exec(const QString& database, const QString& sql) const
{
    PgConnection connection({address(database), QStringLiteral("tallyvane-test-admin")});
    connection.exec(sql.toUtf8().constData());
}

QString PgTestServer::value(const QString& database, const QString& sql) const
{
    PgConnection connection({address(database), QStringLiteral("tallyvane-test-admin")});
    const PgResult result = connection.exec(sql.toUtf8().constData());
    return result.rows() > 0 ? result.text(0, 0) : QString();
}

bool PgTestServer::stop()
{
    QString reason;
    return !m_ownName.isEmpty() && runScript({QStringLiteral("stop"), root(), m_ownName}, reason);
}

bool PgTestServer::restart(QString& reason)
{
    const auto port = runScript({QStringLiteral("start"), root(), m_ownName}, reason);
    if (port)
        m_port = port->toInt();
    return port.has_value();
}

} // namespace tv::test
