#include "db/embedded/EmbeddedServer.h"

#include "db/ConnectionText.h"
#include "db/DbError.h"
#include "db/embedded/SqliteSession.h"

#include <QDir>
#include <QFileInfo>

namespace db::embedded {

namespace {

const char* const masterSchema = R"(
CREATE TABLE IF NOT EXISTS servers (
    server_id INTEGER PRIMARY KEY,
    name TEXT COLLATE NOCASE NOT NULL UNIQUE,
    product TEXT COLLATE NOCASE,
    provider TEXT COLLATE NOCASE,
    data_source TEXT,
    location TEXT,
    provider_string TEXT,
    catalog TEXT,
    is_linked INTEGER NOT NULL DEFAULT 1);
CREATE TABLE IF NOT EXISTS linked_logins (
    server_id INTEGER NOT NULL,
    local_login TEXT COLLATE NOCASE,
    uses_self_credential INTEGER NOT NULL DEFAULT 0,
    remote_name TEXT,
    remote_password TEXT);
CREATE TABLE IF NOT EXISTS server_options (
    server_id INTEGER NOT NULL,
    name TEXT COLLATE NOCASE NOT NULL,
    value TEXT,
    PRIMARY KEY (server_id, name));
CREATE TABLE IF NOT EXISTS server_properties (
    name TEXT COLLATE NOCASE PRIMARY KEY,
    value TEXT);
INSERT OR IGNORE INTO server_properties (name, value) VALUES ('ProductMajorVersion', '15');
)";

// The OLE DB providers of a server, as xp_enum_oledb_providers lists them: those of a SQL Server
// with Microsoft's OLE DB driver 18 installed, until set otherwise.
const char* const providersSchema = R"(
CREATE TABLE oledb_providers (
    provider_name TEXT COLLATE NOCASE PRIMARY KEY,
    parse_name TEXT,
    description TEXT);
INSERT INTO oledb_providers VALUES
    ('SQLOLEDB', '{0C7FF16C-38E3-11d0-97AB-00C04FC2AD98}', 'Microsoft OLE DB Provider for SQL Server'),
    ('MSOLEDBSQL', '{5A23DE84-1D7B-4A16-8DED-B29C09CB648D}', 'Microsoft OLE DB Driver for SQL Server'),
    ('MSDASQL', '{c8b522cb-5cf3-11ce-ade5-00aa0044773d}', 'Microsoft OLE DB Provider for ODBC Drivers');
)";

} // namespace

EmbeddedServer::EmbeddedServer(QString folder)
    : m_folder(std::move(folder))
{
}

QString EmbeddedServer::folderFor(const QString& dataSource, const QString& programFolder)
{
    const QString name = ConnectionText::embeddedServer(dataSource);
    if (name.isEmpty())
        return QString();
    if (QDir::isAbsolutePath(name))
        return QDir::cleanPath(name);
    // A server name is one folder below servers/, never a way out of it.
    if (!isFolderName(name))
        return QString();
    return QDir::cleanPath(programFolder + QStringLiteral("/servers/") + name);
}

bool EmbeddedServer::isFolderName(const QString& name)
{
    if (name.contains(QLatin1Char('/')) || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
#ifdef Q_OS_WIN
    // On Windows a backslash separates folders too, and "C:" names a drive.
    if (name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':')))
        return false;
#endif
    return true;
}

void EmbeddedServer::checkCatalogName(const QString& catalog)
{
    bool plain = !catalog.trimmed().isEmpty() && !catalog.contains(QLatin1String("..")) && catalog.size() <= 128;
    for (const QChar c : catalog) {
        plain = plain
            && (c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-') || c == QLatin1Char('$')
                || c == QLatin1Char('#') || c == QLatin1Char('@') || c == QLatin1Char('.') || c == QLatin1Char(' '));
    }
    if (!plain)
        throw DbError(QStringLiteral("The database name '%1' is not valid: use letters, digits, blanks and _ - $ # @ . only.").arg(catalog),
                      QStringLiteral("42000"), 15151);
}

QString EmbeddedServer::name() const
{
    return QFileInfo(m_folder).fileName();
}

bool EmbeddedServer::exists() const
{
    return !m_folder.isEmpty() && QFileInfo(m_folder).isDir();
}

QString EmbeddedServer::databasePath(const QString& catalog) const
{
    checkCatalogName(catalog);
    const QString file = catalog.trimmed() + QStringLiteral(".sqlite");
    // Database names ignore case on SQL Server; file names on Linux do not.
    if (!QFileInfo::exists(m_folder + QLatin1Char('/') + file)) {
        const QStringList present = QDir(m_folder).entryList({QStringLiteral("*.sqlite")}, QDir::Files);
        for (const QString& candidate : present)
            if (candidate.compare(file, Qt::CaseInsensitive) == 0)
                return m_folder + QLatin1Char('/') + candidate;
    }
    return m_folder + QLatin1Char('/') + file;
}

void EmbeddedServer::createServer()
{
    if (!QDir().mkpath(m_folder))
        throw DbError(QStringLiteral("[embedded] Cannot create the server folder %1.").arg(m_folder));
    ensureMaster();
}

void EmbeddedServer::ensureMaster()
{
    SqliteSession session(databasePath(QStringLiteral("master")), QStringLiteral("master"), SqliteSession::OpenMode::CreateIfMissing);
    session.run(QString::fromLatin1(masterSchema));
    // Only once: the list may have been changed since (setOleDbProviders).
    if (!session.scalar(QStringLiteral("SELECT 1 FROM sqlite_schema WHERE name = 'oledb_providers'")).isValid())
        session.run(QString::fromLatin1(providersSchema));
    session.run(QStringLiteral("INSERT OR IGNORE INTO servers (server_id, name, product, provider, data_source, is_linked) "
                               "VALUES (0, ?, 'SQL Server', 'SQLOLEDB', ?, 0)"),
                nullptr, {name(), name()});
}

void EmbeddedServer::setProductMajorVersion(int version)
{
    ensureMaster();
    SqliteSession session(databasePath(QStringLiteral("master")), QStringLiteral("master"), SqliteSession::OpenMode::ExistingOnly);
    session.run(QStringLiteral("UPDATE server_properties SET value = ? WHERE name = 'ProductMajorVersion'"), nullptr,
                {QString::number(version)});
}

void EmbeddedServer::setOleDbProviders(const QStringList& providers)
{
    ensureMaster();
    SqliteSession session(databasePath(QStringLiteral("master")), QStringLiteral("master"), SqliteSession::OpenMode::ExistingOnly);
    session.run(QStringLiteral("DELETE FROM oledb_providers"));
    for (const QString& provider : providers)
        session.run(QStringLiteral("INSERT INTO oledb_providers (provider_name, parse_name, description) VALUES (?, '', ?)"), nullptr,
                    {provider, provider});
}

void EmbeddedServer::executeNative(const QString& catalog, const QString& sqliteSql)
{
    SqliteSession session(databasePath(catalog), catalog, SqliteSession::OpenMode::CreateIfMissing);
    session.startStatement();
    session.run(sqliteSql);
}

} // namespace db::embedded
