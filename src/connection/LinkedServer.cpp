#include "connection/LinkedServer.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "report/Prompter.h"

#include <QRandomGenerator>
#include <QThread>

namespace connection {

namespace {

// sp_addlinkedserver and sp_dropserver when another program has just added or dropped the same
// linked server.
constexpr int serverMissing = 15015;
constexpr int serverExists = 15028;
constexpr int attempts = 5;

QString quoted(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('\''), QStringLiteral("''"));
    return n;
}

QString providerString(db::Encryption encryption)
{
    // Newer OLE DB drivers refuse a certificate they cannot verify unless encryption is optional;
    // "no" is the provider string's word for optional in every driver version (19 reads it as
    // "Optional", 18 knows only yes and no).
    return encryption == db::Encryption::Yes ? QStringLiteral("Encrypt=yes") : QStringLiteral("Encrypt=no;TrustServerCertificate=yes");
}

// What sys.servers holds for the linked server that the program adds.
struct Wanted {
    int version = 0;
    QString provider;
    db::Encryption encryption = db::Encryption::Optional;
};

bool sameText(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

void apply(db::Connection& destination, const QString& name, const Wanted& wanted)
{
    db::Recordset entry = destination.openRecordset(
        QStringLiteral("select server_id, product, provider, data_source, provider_string from sys.servers where name = N'") + quoted(name)
        + QLatin1Char('\''));
    if (!entry.eof() && entry.field(0).text().toLongLong() == 0) {
        // The local server itself (head office and branch on one server): it cannot be added as a
        // linked server, and four-part names read through it once it allows data access.
        destination.execute(QStringLiteral("EXEC master.dbo.sp_serveroption @server=N'") + quoted(name)
                            + QStringLiteral("', @optname=N'data access', @optvalue=N'true'"));
        return;
    }
    bool same = false;
    if (!entry.eof()) {
        if (wanted.version < LinkedServer::providerNamedFrom)
            same = sameText(entry.field(1).text(), QStringLiteral("SQL Server"));
        else
            same = entry.field(1).text().trimmed().isEmpty() && sameText(entry.field(2).text(), wanted.provider)
                && sameText(entry.field(3).text(), name) && entry.field(4).text() == providerString(wanted.encryption);
    }
    if (!same) {
        for (const QString& statement : LinkedServer::creation(name, wanted.version, wanted.encryption, wanted.provider))
            destination.execute(statement);
    }
    for (const QString& statement : LinkedServer::settings(name))
        destination.execute(statement);
}

} // namespace

QStringList LinkedServer::creation(const QString& name, int majorVersion, db::Encryption encryption, const QString& provider)
{
    const QString n = quoted(name);
    QStringList list;
    list << QStringLiteral("IF  EXISTS (SELECT srv.name FROM sys.servers srv WHERE srv.server_id != 0 AND srv.name = N'") + n
            + QStringLiteral("')EXEC master.dbo.sp_dropserver @server=N'") + n + QStringLiteral("', @droplogins='droplogins'");
    if (majorVersion < providerNamedFrom) {
        list << QStringLiteral("EXEC master.dbo.sp_addlinkedserver @server = N'") + n + QStringLiteral("', @srvproduct=N'SQL Server'");
    } else {
        // From SQL Server 2022 the provider must be named, and product "SQL Server" takes no
        // provider, so the server is named as the data source.
        list << QStringLiteral("EXEC master.dbo.sp_addlinkedserver @server = N'") + n + QStringLiteral("', @srvproduct=N'', @provider=N'")
                + quoted(provider) + QStringLiteral("', @datasrc=N'") + n + QStringLiteral("', @provstr=N'") + providerString(encryption)
                + QLatin1Char('\'');
    }
    return list;
}

QStringList LinkedServer::settings(const QString& name)
{
    const QString n = quoted(name);
    QStringList list;
    list << QStringLiteral("EXEC master.dbo.sp_addlinkedsrvlogin @rmtsrvname=N'") + n
            + QStringLiteral("',@useself=N'False',@locallogin=NULL,@rmtuser=NULL,@rmtpassword=NULL");
    list << QStringLiteral("EXEC master.dbo.sp_addlinkedsrvlogin @rmtsrvname=N'") + n
            + QStringLiteral("',@useself=N'False',@locallogin=N'sa',@rmtuser=N'sa',@rmtpassword='KESTREL264$'");
    const QString queryTimeout =
        QStringLiteral("', @optname=N'query timeout', @optvalue=N'") + QString::number(queryTimeoutSeconds) + QLatin1Char('\'');
    const QString options[] = {
        QStringLiteral("', @optname=N'collation compatible', @optvalue=N'false'"),
        QStringLiteral("', @optname=N'data access', @optvalue=N'true'"),
        QStringLiteral("', @optname=N'dist', @optvalue=N'false'"),
        QStringLiteral("', @optname=N'pub', @optvalue=N'false'"),
        QStringLiteral("', @optname=N'rpc', @optvalue=N'false'"),
        QStringLiteral("', @optname=N'rpc out', @optvalue=N'false'"),
        QStringLiteral("', @optname=N'sub', @optvalue=N'false'"),
        QStringLiteral("', @optname=N'connect timeout', @optvalue=N'0'"),
        QStringLiteral("', @optname=N'collation name', @optvalue=null"),
        QStringLiteral("', @optname=N'lazy schema validation', @optvalue=N'false'"),
        queryTimeout,
        QStringLiteral("', @optname=N'use remote collation', @optvalue=N'true'"),
    };
    for (const QString& option : options)
        list << QStringLiteral("EXEC master.dbo.sp_serveroption @server=N'") + n + option;
    return list;
}

QStringList LinkedServer::statements(const QString& name, int majorVersion, db::Encryption encryption)
{
    return creation(name, majorVersion, encryption) + settings(name);
}

int LinkedServer::productMajorVersion(db::Connection& connection)
{
    db::Recordset rs = connection.openRecordset(QStringLiteral("select SERVERPROPERTY('ProductMajorVersion') as ProductMajorVersion"));
    return rs.eof() ? 0 : rs.field(0).text().trimmed().toInt();
}

QString LinkedServer::oleDbProvider(db::Connection& connection)
{
    const QString driver18 = QStringLiteral("MSOLEDBSQL");
    const QString driver19 = QStringLiteral("MSOLEDBSQL19");
    bool has18 = false;
    bool has19 = false;
    try {
        db::Recordset rs = connection.openRecordset(QStringLiteral("EXEC master.dbo.xp_enum_oledb_providers"));
        for (; !rs.eof(); rs.moveNext()) {
            has18 = has18 || sameText(rs.field(0).text(), driver18);
            has19 = has19 || sameText(rs.field(0).text(), driver19);
        }
    } catch (const db::DbError&) {
        // A login that may not list the providers gets the one the server most likely has.
    }
    return !has18 && has19 ? driver19 : driver18;
}

bool LinkedServer::configure(db::Connection& destination, const QString& name, report::Prompter& prompter, db::Encryption encryption)
{
    try {
        Wanted wanted;
        wanted.version = productMajorVersion(destination);
        wanted.encryption = encryption;
        if (wanted.version >= providerNamedFrom)
            wanted.provider = oleDbProvider(destination);
        for (int attempt = 1;; ++attempt) {
            try {
                apply(destination, name, wanted);
                return true;
            } catch (const db::DbError& e) {
                // Another program re-created the same linked server between our look and our
                // change (the procedures' own look and insert may race too, and end in a
                // duplicate key): look again, and find it as wanted or change it once more.
                if (attempt >= attempts || (e.nativeCode() != serverMissing && e.nativeCode() != serverExists && !e.isDuplicateKey()))
                    throw;
                // Programs that met wait apart, a random while, before they look again: one of
                // them finishes, and the others find its work done instead of undoing it.
                QThread::msleep(QRandomGenerator::global()->bounded(20u, 120u) * unsigned(attempt));
            }
        }
    } catch (const db::DbError& e) {
        prompter.tell(report::PromptIcon::Warning, e.message());
        return false;
    }
}

} // namespace connection
