#include "db/odbc/OdbcDiagnostics.h"
#include "db/odbc/OdbcTypes.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using db::odbc::DiagnosticRecord;
using db::odbc::errorFromDiagnostics;

// How driver diagnostics become one DbError.
TEST(OdbcDiagnostics, AllRecordsJoinedWithStateAndCodeOfTheFirstOrTheFallbackText)
{
    const db::DbError error = errorFromDiagnostics(
        {{QStringLiteral("23000"), 2627,
          QStringLiteral("[unixODBC][FreeTDS][SQL Server]Violation of PRIMARY KEY constraint 'PK_T'. "
                         "Cannot insert duplicate key in object 'dbo.T'.")},
         {QStringLiteral("01000"), 3621, QStringLiteral("[FreeTDS][SQL Server]The statement has been terminated.")}},
        QStringLiteral("fallback"));
    EXPECT_EQ(error.message(), QStringLiteral("Violation of PRIMARY KEY constraint 'PK_T'. Cannot insert duplicate key "
                                              "in object 'dbo.T'.\nThe statement has been terminated."));
    EXPECT_EQ(error.sqlState(), QStringLiteral("23000"));
    EXPECT_EQ(error.nativeCode(), 2627);
    EXPECT_TRUE(error.isDuplicateKey());
    // No records give the fallback text.
    const db::DbError fallback = errorFromDiagnostics({}, QStringLiteral("The ODBC driver failed to connect."));
    EXPECT_EQ(fallback.message(), QStringLiteral("The ODBC driver failed to connect."));
    EXPECT_EQ(fallback.sqlState(), QStringLiteral("HY000"));
    // Any 08 state is a connection failure.
    const db::DbError link = errorFromDiagnostics(
        {{QStringLiteral("01000"), 0, QStringLiteral("[FreeTDS][SQL Server]Unexpected EOF from the server")},
         {QStringLiteral("08S01"), 20017, QStringLiteral("[FreeTDS][SQL Server]Communication link failure")}},
        QStringLiteral("fallback"));
    EXPECT_EQ(link.message(),
              QStringLiteral("Connection failure: Unexpected EOF from the server\nCommunication link failure"));
    EXPECT_EQ(link.sqlState(), QStringLiteral("01000"));
    EXPECT_TRUE(link.isConnectionFailure());
}

TEST(OdbcDiagnostics, OnlyLeadingComponentTagsAreRemoved)
{
    using db::odbc::withoutComponentTags;
    EXPECT_EQ(withoutComponentTags(QStringLiteral("[unixODBC][Driver Manager]Data source name not found")),
              QStringLiteral("Data source name not found"));
    EXPECT_EQ(withoutComponentTags(QStringLiteral("Invalid column name '[x]'.")), QStringLiteral("Invalid column name '[x]'."));
    EXPECT_EQ(withoutComponentTags(QStringLiteral("[dbo]")), QStringLiteral("[dbo]"));
}

// Money keeps its own code although drivers describe it as decimal; decimal text gets its leading zero.
TEST(OdbcTypes, MoneyIsCurrencyOtherDecimalsAreNumericWithTheirLeadingZero)
{
    using db::odbc::typeCodeForSqlType;
    EXPECT_EQ(typeCodeForSqlType(3 /* SQL_DECIMAL */, QStringLiteral("money")), 6);
    EXPECT_EQ(typeCodeForSqlType(3, QStringLiteral("smallmoney")), 6);
    EXPECT_EQ(typeCodeForSqlType(3, QStringLiteral("decimal")), 131);
    EXPECT_EQ(typeCodeForSqlType(2 /* SQL_NUMERIC */, QStringLiteral("numeric")), 131);
    EXPECT_EQ(typeCodeForSqlType(-154 /* SQL Server time */, QStringLiteral("time")), 202);
    using db::odbc::normalisedDecimalText;
    EXPECT_EQ(normalisedDecimalText(QStringLiteral(".5000")), QStringLiteral("0.5000"));
    EXPECT_EQ(normalisedDecimalText(QStringLiteral("-.5000")), QStringLiteral("-0.5000"));
    EXPECT_EQ(normalisedDecimalText(QStringLiteral("12345678901234.5678")), QStringLiteral("12345678901234.5678"));
    EXPECT_EQ(normalisedDecimalText(QStringLiteral("-3")), QStringLiteral("-3"));
}
