#include "db/Backend.h"
#include "db/DbError.h"
#include "QtPrinters.h"

#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTemporaryDir>
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

#ifndef Q_OS_WIN
// Which drivers the driver manager knows comes from the odbcinst.ini of ODBCSYSINI, set here
// for this test alone (unixODBC keeps what it has read for a while, so one folder per test).
TEST(SqlServerBackend, ADriverThatCannotLoadGivesWayToTheNextInstalledOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile ini(dir.filePath(QStringLiteral("odbcinst.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    // Driver 18 is registered, but its library is gone; FreeTDS is there only when installed here.
    QByteArray text = "[ODBC Driver 18 for SQL Server]\nDriver=" + QFile::encodeName(dir.filePath(QStringLiteral("gone.so"))) + "\n";
    const QString freeTds = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so");
    const bool haveFreeTds = QFile::exists(freeTds);
    if (haveFreeTds)
        text += "[FreeTDS]\nDriver=" + QFile::encodeName(freeTds) + "\n";
    ini.write(text);
    ini.close();
    const QByteArray previous = qgetenv("ODBCSYSINI");
    qputenv("ODBCSYSINI", QFile::encodeName(dir.path()));
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    QString message;
    try {
        db::openSqlServerBackend(db::ConnectionText::parse(connectionTextFor(port)), db::ConnectionContext{QString(), 5});
    } catch (const db::DbError& error) {
        message = error.message();
    }
    qputenv("ODBCSYSINI", previous);
    // FreeTDS took over from the driver that could not load, and reached for the (closed) port;
    // without it, one message names what to install, never the driver manager's words alone.
    if (haveFreeTds)
        EXPECT_TRUE(message.startsWith(QStringLiteral("Connection failure: "))) << message.toStdString();
    else
        EXPECT_TRUE(message.startsWith(QStringLiteral("No ODBC driver for SQL Server could be used on this computer. Install "
                                                      "Microsoft's \"ODBC Driver 18 for SQL Server\"")))
            << message.toStdString();
}
#endif
