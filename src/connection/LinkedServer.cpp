#include "connection/LinkedServer.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "report/Prompter.h"

namespace connection {

QStringList LinkedServer::statements(const QString& name, int majorVersion, db::Encryption encryption)
{
    QString n = name;
    n.replace(QLatin1Char('\''), QStringLiteral("''"));
    QStringList list;
    list << QStringLiteral("IF  EXISTS (SELECT srv.name FROM sys.servers srv WHERE srv.server_id != 0 AND srv.name = N'") + n
            + QStringLiteral("')EXEC master.dbo.sp_dropserver @server=N'") + n + QStringLiteral("', @droplogins='droplogins'");
    if (majorVersion < providerNamedFrom) {
        list << QStringLiteral("EXEC master.dbo.sp_addlinkedserver @server = N'") + n + QStringLiteral("', @srvproduct=N'SQL Server'");
    } else {
        // From SQL Server 2022 the provider must be named, and product "SQL Server" takes no
        // provider, so the server is named as the data source. Newer OLE DB drivers refuse a
        // certificate they cannot verify unless encryption is optional; "no" is the provider
        // string's word for optional in every driver version (19 reads it as "Optional", 18 knows
        // only yes and no).
        const QString provider = encryption == db::Encryption::Yes ? QStringLiteral("Encrypt=yes")
                                                                   : QStringLiteral("Encrypt=no;TrustServerCertificate=yes");
        list << QStringLiteral("EXEC master.dbo.sp_addlinkedserver @server = N'") + n
                + QStringLiteral("', @srvproduct=N'', @provider=N'MSOLEDBSQL', @datasrc=N'") + n + QStringLiteral("', @provstr=N'")
                + provider + QLatin1Char('\'');
    }
    list << QStringLiteral("EXEC master.dbo.sp_addlinkedsrvlogin @rmtsrvname=N'") + n
            + QStringLiteral("',@useself=N'False',@locallogin=NULL,@rmtuser=NULL,@rmtpassword=NULL");
    list << QStringLiteral("EXEC master.dbo.sp_addlinkedsrvlogin @rmtsrvname=N'") + n
            + QStringLiteral("',@useself=N'False',@locallogin=N'sa',@rmtuser=N'sa',@rmtpassword='KESTREL264$'");
    static const char* const options[] = {
        "', @optname=N'collation compatible', @optvalue=N'false'",
        "', @optname=N'data access', @optvalue=N'true'",
        "', @optname=N'dist', @optvalue=N'false'",
        "', @optname=N'pub', @optvalue=N'false'",
        "', @optname=N'rpc', @optvalue=N'false'",
        "', @optname=N'rpc out', @optvalue=N'false'",
        "', @optname=N'sub', @optvalue=N'false'",
        "', @optname=N'connect timeout', @optvalue=N'0'",
        "', @optname=N'collation name', @optvalue=null",
        "', @optname=N'lazy schema validation', @optvalue=N'false'",
        "', @optname=N'query timeout', @optvalue=N'0'",
        "', @optname=N'use remote collation', @optvalue=N'true'",
    };
    for (const char* option : options)
        list << QStringLiteral("EXEC master.dbo.sp_serveroption @server=N'") + n + QLatin1String(option);
    return list;
}

int LinkedServer::productMajorVersion(db::Connection& connection)
{
    db::Recordset rs = connection.openRecordset(QStringLiteral("select SERVERPROPERTY('ProductMajorVersion') as ProductMajorVersion"));
    return rs.eof() ? 0 : rs.field(0).text().trimmed().toInt();
}

bool LinkedServer::configure(db::Connection& destination, const QString& name, report::Prompter& prompter, db::Encryption encryption)
{
    int version = 0;
    try {
        version = productMajorVersion(destination);
    } catch (const db::DbError& e) {
        prompter.tell(report::PromptIcon::Warning, e.message());
        return false;
    }
    for (const QString& statement : statements(name, version, encryption)) {
        try {
            destination.execute(statement);
        } catch (const db::DbError& e) {
            prompter.tell(report::PromptIcon::Warning, e.message());
            return false;
        }
    }
    return true;
}

} // namespace connection
