#include "db/Backend.h"
#include "db/DbError.h"
#include "db/odbc/OdbcConnection.h"
#include "db/odbc/OdbcConnectionString.h"

namespace db {

namespace {

// The SQL Server session behind a db::Connection.
class SqlServerBackend : public Backend {
public:
    SqlServerBackend(const ConnectionInfo& info, const ConnectionContext& context)
    {
        const QString driver = odbc::chooseSqlServerDriver(odbc::OdbcConnection::installedDrivers());
        m_connection.openDriverString(odbc::odbcConnectionString(info, driver, context.encryption), context.loginTimeoutSeconds,
                                      odbc::OdbcConnection::textCallsFor(driver));
        // The program writes dates as yyyy-MM-dd text; every server must read them the same way.
        // Every copy checks the rows its INSERT affected, so counts must come back whatever the
        // server's user options say. A server that logs in but then stops answering gets no
        // longer than the login itself.
        m_connection.setCommandTimeout(context.loginTimeoutSeconds);
        m_connection.execute(QStringLiteral("SET LANGUAGE us_english; SET DATEFORMAT ymd; SET NOCOUNT OFF"));
        m_connection.setCommandTimeout(0);
    }

    void setCommandTimeout(int seconds) override { m_connection.setCommandTimeout(seconds); }
    long long execute(const QString& sql) override { return m_connection.execute(sql); }
    ResultData query(const QString& sql) override { return m_connection.query(sql); }
    void beginTransaction() override { m_connection.beginTransaction(); }
    void commitTransaction() override { m_connection.commitTransaction(); }
    void rollbackTransaction() override { m_connection.rollbackTransaction(); }

private:
    odbc::OdbcConnection m_connection;
};

} // namespace

std::unique_ptr<Backend> openSqlServerBackend(const ConnectionInfo& info, const ConnectionContext& context)
{
    return std::make_unique<SqlServerBackend>(info, context);
}

} // namespace db
