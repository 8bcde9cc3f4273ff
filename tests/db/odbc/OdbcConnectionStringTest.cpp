#include "db/ConnectionText.h"
#include "db/odbc/OdbcConnectionString.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using db::odbc::sqlServerDriverCandidates;
using db::odbc::odbcConnectionString;
using db::odbc::odbcQuoteValue;

namespace {
db::ConnectionInfo infoFrom(const QString& text)
{
    return db::ConnectionText::parse(text);
}
} // namespace

TEST(OdbcConnectionString, OnlyValuesHoldingSeparatorsBracesEqualsOrEdgeBlanksAreBraceQuoted)
{
    EXPECT_EQ(odbcQuoteValue(QStringLiteral("pa;ss")), QStringLiteral("{pa;ss}"));
    EXPECT_EQ(odbcQuoteValue(QStringLiteral("a=b")), QStringLiteral("{a=b}"));
    EXPECT_EQ(odbcQuoteValue(QStringLiteral("{x")), QStringLiteral("{{x}"));
    EXPECT_EQ(odbcQuoteValue(QStringLiteral("x}")), QStringLiteral("{x}}}"));
    EXPECT_EQ(odbcQuoteValue(QStringLiteral("p}w;d")), QStringLiteral("{p}}w;d}"));
    EXPECT_EQ(odbcQuoteValue(QStringLiteral(" secret ")), QStringLiteral("{ secret }"));
    EXPECT_EQ(odbcQuoteValue(QStringLiteral("MAIN01")), QStringLiteral("MAIN01"));
    EXPECT_EQ(odbcQuoteValue(QStringLiteral("ODBC Driver 18 for SQL Server")), QStringLiteral("ODBC Driver 18 for SQL Server"));
    EXPECT_EQ(odbcQuoteValue(QString()), QString());
}

TEST(OdbcConnectionString, FreeTdsGetsPortCharsetAndProtocolVersionAndHostileValuesStayValues)
{
    const auto info = infoFrom(QStringLiteral(
        "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;Initial Catalog=SUB01;Data Source=10.0.0.5,1433"));
    EXPECT_EQ(odbcConnectionString(info, QStringLiteral("FreeTDS")),
              QStringLiteral("Driver=FreeTDS;Server=10.0.0.5;Port=1433;Database=SUB01;UID=sa;PWD=pw;"
                             "TDS_Version=7.4;ClientCharset=UTF-8;Encryption=request"));
    // An empty catalog and user are left out.
    EXPECT_EQ(odbcConnectionString(infoFrom(QStringLiteral("Provider=SQLOLEDB.1;Data Source=local")), QStringLiteral("ODBC Driver 17 for SQL Server")),
              QStringLiteral("Driver=ODBC Driver 17 for SQL Server;Server=local;Encrypt=no;TrustServerCertificate=yes"));
    // A password and a company code that try to smuggle in attributes of their own.
    const auto hostile = infoFrom(QStringLiteral(
        "Provider=SQLOLEDB.1;Password=\"x;Database=master;TrustServerCertificate=no\";User ID=sa;"
        "Initial Catalog='AB}C;Server=evil';Data Source=local"));
    EXPECT_EQ(odbcConnectionString(hostile, QStringLiteral("FreeTDS")),
              QStringLiteral("Driver=FreeTDS;Server=local;Database={AB}}C;Server=evil};UID=sa;"
                             "PWD={x;Database=master;TrustServerCertificate=no};TDS_Version=7.4;ClientCharset=UTF-8;Encryption=request"));
}

// The ENCRYPT setting in each driver's words: optional by default (an old server without TLS 1.2
// still connects), yes with the certificate checked, no.
TEST(OdbcConnectionString, EncryptionInEachDriversWordsAndHostCommaPortKept)
{
    const auto info = infoFrom(QStringLiteral("Provider=SQLOLEDB.1;Password=pw;User ID=sa;Initial Catalog=SUB01;Data Source=srv\\SQL2019,1500"));
    const QString base = QStringLiteral("Server=srv\\SQL2019,1500;Database=SUB01;UID=sa;PWD=pw;");
    const QString driver18 = QStringLiteral("ODBC Driver 18 for SQL Server");
    const QString driver17 = QStringLiteral("ODBC Driver 17 for SQL Server");
    EXPECT_EQ(odbcConnectionString(info, driver18), "Driver=" + driver18 + ";" + base + "Encrypt=Optional;TrustServerCertificate=yes");
    EXPECT_EQ(odbcConnectionString(info, driver18, db::Encryption::Yes), "Driver=" + driver18 + ";" + base + "Encrypt=yes");
    EXPECT_EQ(odbcConnectionString(info, driver18, db::Encryption::No), "Driver=" + driver18 + ";" + base + "Encrypt=no;TrustServerCertificate=yes");
    EXPECT_EQ(odbcConnectionString(info, driver17), "Driver=" + driver17 + ";" + base + "Encrypt=no;TrustServerCertificate=yes");
    EXPECT_EQ(odbcConnectionString(info, driver17, db::Encryption::Yes), "Driver=" + driver17 + ";" + base + "Encrypt=yes");
    EXPECT_TRUE(odbcConnectionString(info, QStringLiteral("FreeTDS"), db::Encryption::Yes).endsWith(";Encryption=require"));
    EXPECT_TRUE(odbcConnectionString(info, QStringLiteral("FreeTDS"), db::Encryption::No).endsWith(";Encryption=off"));
}

// The newest Microsoft driver first, then Windows' own driver there, then FreeTDS: each only when
// installed, so that a PC without FreeTDS never asks for it.
TEST(OdbcConnectionString, DriversToTryAreTheInstalledOnesBestFirst)
{
    using db::odbc::DriverPlatform;
    const QString driver18 = QStringLiteral("ODBC Driver 18 for SQL Server");
    const QString driver17 = QStringLiteral("ODBC Driver 17 for SQL Server");
    const QString windows = QStringLiteral("SQL Server");
    const QString freeTds = QStringLiteral("FreeTDS");
    const QStringList all{QStringLiteral("SQLite3"), freeTds, windows, driver17, driver18};
    EXPECT_EQ(sqlServerDriverCandidates(all, DriverPlatform::Windows), QStringList({driver18, driver17, windows, freeTds}));
    EXPECT_EQ(sqlServerDriverCandidates(all, DriverPlatform::Unix), QStringList({driver18, driver17, freeTds}));
    EXPECT_EQ(sqlServerDriverCandidates({QStringLiteral("sql server"), QStringLiteral("Microsoft Access Driver (*.mdb)")},
                                        DriverPlatform::Windows),
              QStringList({windows}));
    EXPECT_TRUE(sqlServerDriverCandidates({QStringLiteral("SQLite3")}, DriverPlatform::Unix).isEmpty());
    EXPECT_TRUE(sqlServerDriverCandidates({}, DriverPlatform::Windows).isEmpty());
}
