#include "db/Backend.h"
#include "db/DbError.h"
#include "QtPrinters.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

// Runs only against a real SQL Server: MIRTANE_TEST_MSSQL holds the program's connection text
// ("Provider=SQLOLEDB.1;Password=...;User ID=sa;Initial Catalog=...;Data Source=...").
class SqlServerLiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString text = qEnvironmentVariable("MIRTANE_TEST_MSSQL");
        if (text.isEmpty())
            GTEST_SKIP() << "MIRTANE_TEST_MSSQL is not set";
        backend = db::openSqlServerBackend(db::ConnectionText::parse(text), db::ConnectionContext{QString(), 10});
        backend->setCommandTimeout(30);
    }

    db::Recordset openRecordset(const QString& sql) { return db::Recordset(sql, backend->query(sql)); }

    QVariant scalar(const QString& sql)
    {
        db::Recordset rs = openRecordset(sql);
        return rs.eof() ? QVariant() : rs.field(0).value();
    }

    std::unique_ptr<db::Backend> backend;
};

} // namespace

TEST_F(SqlServerLiveTest, SessionSpeaksEnglishAndReadsDatesYearMonthDay)
{
    EXPECT_EQ(scalar(QStringLiteral("select @@LANGUAGE")), QVariant(QStringLiteral("us_english")));
    EXPECT_EQ(scalar(QStringLiteral("select date_format from sys.dm_exec_sessions where session_id = @@SPID")),
              QVariant(QStringLiteral("ymd")));
    EXPECT_EQ(scalar(QStringLiteral("select cast('2026-12-05 10:30:00' as datetime)")),
              QVariant(QDateTime(QDate(2026, 12, 5), QTime(10, 30), Qt::UTC)));
}

TEST_F(SqlServerLiveTest, DuplicateKeyCarriesTheServersText)
{
    backend->execute(QStringLiteral("create table #dup (id int primary key, v nvarchar(10))"));
    EXPECT_EQ(backend->execute(QStringLiteral("insert into #dup values (1, N'a')")), 1);
    try {
        backend->execute(QStringLiteral("insert into #dup values (1, N'b')"));
        FAIL() << "no error";
    } catch (const db::DbError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("Cannot insert duplicate key"))) << error.message().toStdString();
        EXPECT_TRUE(error.isDuplicateKey());
        EXPECT_EQ(error.sqlState(), QStringLiteral("23000"));
        EXPECT_EQ(error.nativeCode(), 2627);
    }
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from #dup")), QVariant(qlonglong(1)));
    EXPECT_EQ(backend->execute(QStringLiteral("update #dup set v = N'x' where id = 99")), 0);
}

TEST_F(SqlServerLiveTest, NumericAndMoneyComeBackAsExactText)
{
    db::Recordset rs = openRecordset(QStringLiteral(
        "select cast('12345678901234.5678' as numeric(18,4)) as n, cast(12.5 as money) as m, "
        "cast(0.5 as numeric(5,2)) as half, cast(-0.25 as decimal(6,2)) as neg"));
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.field(QStringLiteral("n")).typeCode(), 131);
    EXPECT_EQ(rs.field(QStringLiteral("n")).value(), QVariant(QStringLiteral("12345678901234.5678")));
    EXPECT_EQ(rs.field(QStringLiteral("m")).typeCode(), 6);
    EXPECT_EQ(rs.field(QStringLiteral("m")).value(), QVariant(QStringLiteral("12.5000")));
    EXPECT_EQ(rs.field(QStringLiteral("half")).value(), QVariant(QStringLiteral("0.50")));
    EXPECT_EQ(rs.field(QStringLiteral("neg")).value(), QVariant(QStringLiteral("-0.25")));
}

TEST_F(SqlServerLiveTest, UnicodeAndServerTypesRoundTrip)
{
    db::Recordset rs = openRecordset(QStringLiteral(
        "select N'ü€中😀' as u, cast('abc' as varchar(10)) as v, cast(1 as bit) as b, cast(7 as tinyint) as t"));
    EXPECT_EQ(rs.field(QStringLiteral("u")).value(), QVariant(QStringLiteral("ü€中😀")));
    EXPECT_EQ(rs.field(QStringLiteral("u")).typeCode(), 202);
    EXPECT_EQ(rs.field(QStringLiteral("v")).typeCode(), 200);
    EXPECT_EQ(rs.field(QStringLiteral("b")).value(), QVariant(true));
    EXPECT_EQ(rs.field(QStringLiteral("t")).typeCode(), 17);
}

// A server whose user options switch NOCOUNT on would make every copy see 0 rows affected.
TEST_F(SqlServerLiveTest, RowCountsComeBackWhateverTheServersUserOptions)
{
    EXPECT_EQ(scalar(QStringLiteral("select @@OPTIONS & 512")), QVariant(qlonglong(0)));
    backend->execute(QStringLiteral("create table #counted (i int)"));
    EXPECT_EQ(backend->execute(QStringLiteral("insert into #counted values (1); insert into #counted values (2)")), 2);
    EXPECT_EQ(backend->execute(QStringLiteral("delete from #counted")), 2);
}

// Names and texts outside ASCII cross the calls whole, whichever kind the driver takes.
TEST_F(SqlServerLiveTest, NonAsciiNamesAndTextsKeepEveryCharacter)
{
    backend->execute(QStringLiteral("create table #t (N\u00e4me nvarchar(20))"));
    backend->execute(QStringLiteral("insert into #t values (N'Gr\u00f6\u00dfe \u20ac \u4e2d')"));
    db::Recordset rs = openRecordset(QStringLiteral("select N\u00e4me from #t"));
    EXPECT_EQ(rs.columns().front().name, QStringLiteral("N\u00e4me"));
    EXPECT_EQ(rs.field(0).value(), QVariant(QStringLiteral("Gr\u00f6\u00dfe \u20ac \u4e2d")));
    EXPECT_EQ(scalar(QStringLiteral("select len(N\u00e4me) from #t")), QVariant(qlonglong(9)));
}
