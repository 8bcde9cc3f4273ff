#include "db/Backend.h"
#include "db/DbError.h"
#include "QtPrinters.h"

#include <QHostAddress>
#include <QTcpServer>
#include <gtest/gtest.h>

namespace {

QString connectionTextFor(quint16 port)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=pw;User ID=sa;Initial Catalog=SUB01;Data Source=127.0.0.1,%1").arg(port);
}

} // namespace

// Opening SQL Server sessions that cannot succeed: the error says so, and it comes in time.
TEST(SqlServerBackend, RefusedOrSilentServerIsAConnectionFailureInTime)
{
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    } // closed again: nothing listens on the port now
    try {
        db::openSqlServerBackend(db::ConnectionText::parse(connectionTextFor(port)), db::ConnectionContext{QString(), 5});
        FAIL() << "no error";
    } catch (const db::DbError& error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Connection failure: "))) << error.message().toStdString();
        EXPECT_TRUE(error.isConnectionFailure());
    }
    // The socket is accepted by the system but nobody ever answers the login: the login timeout ends
    // the attempt with a connection failure instead of a wait without end.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    try {
        db::openSqlServerBackend(db::ConnectionText::parse(connectionTextFor(silent.serverPort())),
                                 db::ConnectionContext{QString(), 2});
        FAIL() << "no error";
    } catch (const db::DbError& error) {
        EXPECT_TRUE(error.isConnectionFailure()) << error.message().toStdString();
    }
}
