#include "db/Backend.h"
#include "db/DbError.h"
#include "db/odbc/OdbcConnection.h"
#include "db/odbc/OdbcConnectionString.h"

namespace db {

namespace {

// The driver manager's words for a driver that is not installed or cannot be loaded: IM002 to
// IM005 on Windows; unixODBC says "Can't open lib" under the general warning state 01000.
bool isMissingDriver(const DbError& error)
{
    const QString& state = error.sqlState();
    return state == QLatin1String("IM002") || state == QLatin1String("IM003") || state == QLatin1String("IM004")
        || state == QLatin1String("IM005")
        || (state == QLatin1String("01000") && error.message().startsWith(QLatin1String("Can't open lib")));
}

// The SQL Server session behind a db::Connection.
class SqlServerBackend : public Backend {
public:
    SqlServerBackend(const ConnectionInfo& info, const ConnectionContext& context)
    {
        open(info, context);
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
    // The best installed driver; the next one only when a driver cannot be loaded at all, since a
    // server that does not answer would make every driver wait for the login timeout again.
    void open(const ConnectionInfo& info, const ConnectionContext& context)
    {
        const odbc::DriverPlatform platform = odbc::currentDriverPlatform();
        const QStringList drivers = odbc::sqlServerDriverCandidates(odbc::OdbcConnection::installedDrivers(), platform);
        QString lastWords;
        for (const QString& driver : drivers) {
            try {
                m_connection.openDriverString(odbc::odbcConnectionString(info, driver, context.encryption),
                                              context.loginTimeoutSeconds, odbc::OdbcConnection::textCallsFor(driver));
                return;
            } catch (const DbError& error) {
                if (!isMissingDriver(error))
                    throw;
                lastWords = QStringLiteral("%1: %2").arg(driver, error.message());
            }
        }
        throw DbError(odbc::installDriverMessage(platform, lastWords), QStringLiteral("IM002"), 0);
    }

    odbc::OdbcConnection m_connection;
};

} // namespace

std::unique_ptr<Backend> openSqlServerBackend(const ConnectionInfo& info, const ConnectionContext& context)
{
    return std::make_unique<SqlServerBackend>(info, context);
}

} // namespace db
