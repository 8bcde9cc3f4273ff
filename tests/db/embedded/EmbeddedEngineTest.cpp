#include "ErrorOf.h"
#include "QtPrinters.h"
#include "TempServers.h"

#include "db/TypeCode.h"
#include "db/Transaction.h"

#include <QDateTime>
#include <QFileInfo>
#include <gtest/gtest.h>

using support::errorOf;
using support::TempServers;

// The engine's behaviour beyond the program's statements: opening, errors, types, values,
// transactions, change capture, timeouts and databases.
class EmbeddedEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        servers.createServer(QStringLiteral("embedded:BR"), {QStringLiteral("SUB01")});
        connection = servers.open(QStringLiteral("embedded:BR"), QStringLiteral("SUB01"));
        connection->execute("create table T (ID int NOT NULL PRIMARY KEY, Name varchar(80), Amount numeric(18,2), Day datetime)");
    }

    TempServers servers{TempServers::EmptyFolder{}};
    std::unique_ptr<db::Connection> connection;
};

TEST_F(EmbeddedEngineTest, OpeningAMissingServerOrCatalogFailsAndDatabasesComeAndGoFromMaster)
{
    const db::DbError error = errorOf([&] { servers.open(QStringLiteral("embedded:NOWHERE"), QStringLiteral("SUB01")); });
    EXPECT_EQ(error.sqlState(), "08001");
    EXPECT_EQ(error.nativeCode(), 53);
    EXPECT_TRUE(error.message().contains("Connection failure"));
    EXPECT_TRUE(error.message().contains("NOWHERE"));
    EXPECT_TRUE(error.isConnectionFailure());

    const db::DbError login = errorOf([&] { servers.open(QStringLiteral("embedded:BR"), QStringLiteral("SUB99")); });
    EXPECT_EQ(login.message(), "Cannot open database \"SUB99\" requested by the login. The login failed.");
    EXPECT_EQ(login.sqlState(), "42000");
    EXPECT_EQ(login.nativeCode(), 4060);
    EXPECT_FALSE(QFileInfo::exists(servers.folder() + "/servers/BR/SUB99.sqlite"));
    // Catalog names that are not plain never reach the file system.
    for (const QString& catalog : {QStringLiteral("../SUB01"), QStringLiteral("a/b"), QStringLiteral("x*y"), QStringLiteral("..")}) {
        const db::DbError error = errorOf([&] { servers.open(QStringLiteral("embedded:BR"), catalog); });
        EXPECT_TRUE(error.message().contains("is not valid")) << catalog.toStdString();
    }
    EXPECT_TRUE(errorOf([&] { connection->execute("CREATE DATABASE [../evil]"); }).message().contains("is not valid"));
    EXPECT_FALSE(QFileInfo::exists(servers.folder() + "/servers/evil.sqlite"));
    // Database names ignore case, as on SQL Server.
    EXPECT_NO_THROW(servers.open(QStringLiteral("embedded:BR"), QStringLiteral("sub01")));
    // Databases are created and dropped from master.
    auto master = servers.open(QStringLiteral("embedded:BR"), QStringLiteral("master"));
    master->execute("CREATE DATABASE NEW01");
    EXPECT_TRUE(QFileInfo::exists(servers.folder() + "/servers/BR/NEW01.sqlite"));
    EXPECT_EQ(errorOf([&] { master->execute("CREATE DATABASE NEW01"); }).message(),
              "Database 'NEW01' already exists. Choose a different database name.");
    EXPECT_NO_THROW(servers.open(QStringLiteral("embedded:BR"), QStringLiteral("NEW01")));
    master->execute("DROP DATABASE NEW01");
    EXPECT_FALSE(QFileInfo::exists(servers.folder() + "/servers/BR/NEW01.sqlite"));
    const db::DbError dropped = errorOf([&] { master->execute("DROP DATABASE NEW01"); });
    EXPECT_EQ(dropped.message(), "Cannot drop the database 'NEW01', because it does not exist or you do not have permission.");
    EXPECT_EQ(dropped.nativeCode(), 3701);
}

TEST_F(EmbeddedEngineTest, ErrorsUseSqlServersWording)
{
    connection->execute("insert into T (ID, Name) values (57, 'x')");
    connection->execute("EXEC master.dbo.sp_addlinkedserver @server = N'HO', @srvproduct=N'SQL Server'");
    struct Case {
        const char* statement;
        const char* message; // nullptr: not compared
        int code;
        const char* state; // nullptr: not compared
    };
    const Case cases[] = {
        {"insert into T (ID, Name) values (57, 'y')", "Violation of PRIMARY KEY constraint 'PK_T'. Cannot insert duplicate key in object 'dbo.T'.",
         2627, "23000"},
        {"select * from tblMissing", "Invalid object name 'tblMissing'.", 208, "42S02"},
        {"select Missing from T", "Invalid column name 'Missing'.", 207, nullptr},
        {"insert into T (ID, Name) values (NULL, 'z')",
         "Cannot insert the value NULL into column 'ID', table 'SUB01.dbo.T'; column does not allow nulls. INSERT fails.", 515, nullptr},
        {"select from where", "Incorrect syntax near 'from'.", 102, nullptr},
        {"select * from [NOSUCH].MAIN01.dbo.tblSales",
         "Could not find server 'NOSUCH' in sys.servers. Verify that the correct server name was specified. "
         "If necessary, execute the stored procedure sp_addlinkedserver to add the server to sys.servers.",
         7202, nullptr},
        {"EXEC master.dbo.sp_dropserver @server=N'NOSUCH', @droplogins='droplogins'",
         "The server 'NOSUCH' does not exist. Use sp_helpserver to show available servers.", 15015, nullptr},
        {"EXEC master.dbo.sp_addlinkedserver N'HO', N'SQL Server'", "The server 'HO' already exists.", 15028, nullptr},
        {"EXEC sp_serveroption 'NOSUCH', 'rpc', 'true'", nullptr, 15015, nullptr},
    };
    for (const Case& c : cases) {
        const db::DbError error = errorOf([&] { connection->execute(QString::fromUtf8(c.statement)); });
        if (c.message) {
            EXPECT_EQ(error.message(), QString::fromUtf8(c.message));
        }
        EXPECT_EQ(error.nativeCode(), c.code) << c.statement;
        if (c.state) {
            EXPECT_EQ(error.sqlState(), QString::fromLatin1(c.state));
        }
    }
    EXPECT_TRUE(errorOf([&] { connection->execute("insert into T (ID) values (57)"); }).isDuplicateKey());
    // A linked server whose folder does not exist says so.
    EXPECT_TRUE(errorOf([&] { connection->execute("select * from [HO].MAIN01.dbo.T"); }).message().contains("linked server \"HO\""));
}

TEST_F(EmbeddedEngineTest, TypeCodesFollowTheDeclaredTypesAndValuesComeBackAsPromised)
{
    connection->execute("create table V (ID int PRIMARY KEY, Flag bit, Name nvarchar(50), Amount numeric(18,2), Price money, "
                        "Ratio float, Day datetime, Note varchar(50))");
    connection->execute("insert into V values (1, 1, N'Ωμέγα ☃ O''Brien', 12.50, 3, 0.1, '29/Feb/2028 11:59:59 PM', '05/Dec/2026')");
    connection->execute("insert into V (ID) values (2)");
    db::Recordset rs = connection->openRecordset("select * from V order by ID");
    EXPECT_EQ(rs.field("Flag").value(), QVariant(true));
    EXPECT_EQ(rs.field("Name").value(), QVariant(QString::fromUtf8("Ωμέγα ☃ O'Brien")));
    EXPECT_EQ(rs.field("Amount").value(), QVariant(QStringLiteral("12.50")));
    EXPECT_EQ(rs.field("Price").value(), QVariant(QStringLiteral("3.0000")));
    EXPECT_EQ(rs.field("Ratio").value(), QVariant(0.1));
    EXPECT_EQ(rs.field("Day").value(), QVariant(QDateTime(QDate(2028, 2, 29), QTime(23, 59, 59), Qt::UTC)));
    EXPECT_EQ(rs.field("ID").value().typeId(), QMetaType::LongLong);
    // A date-looking text in a text column stays as it was written.
    EXPECT_EQ(rs.field("Note").value(), QVariant(QStringLiteral("05/Dec/2026")));
    rs.moveNext();
    for (int i = 1; i < rs.fieldCount(); ++i)
        EXPECT_TRUE(rs.field(i).isNull()) << i;
    // Text comparisons ignore case, as SQL Server's default collation does.
    connection->execute("insert into T (ID, Name) values (1, 'Ravi Traders')");
    EXPECT_EQ(TempServers::scalar(*connection, "select count(*) from T where Name = 'RAVI traders'").toString(), "1");
    // Type codes follow the declared types.
    connection->execute("create table Types (a int, b smallint, c tinyint, d bigint, e bit, f char(5), g varchar(10), h varchar(max), "
                        "i nchar(5), j nvarchar(10), k text, l ntext, m datetime, n smalldatetime, o date, p numeric(18,2), "
                        "q decimal(10,3), r money, s float, t real, u uniqueidentifier, v varbinary(20))");
    db::Recordset types = connection->openRecordset("select * from Types");
    std::vector<int> codes;
    for (const db::Column& column : types.columns())
        codes.push_back(column.typeCode);
    EXPECT_EQ(codes, (std::vector<int>{3, 2, 17, 20, 11, 129, 200, 200, 130, 202, 201, 203, 135, 135, 135, 131, 131, 6, 5, 4, 72, 204}));

    db::Recordset expressions = connection->openRecordset(
        "select 1 as a, 3000000000 as b, 1.5 as c, 'x' as d, '2026-12-05 00:00:00' as e, NULL as f, 0x00ff as g, '2026-12-05' as h");
    codes.clear();
    for (const db::Column& column : expressions.columns())
        codes.push_back(column.typeCode);
    // Beyond int and with a point, a literal is a numeric, as SQL Server types it.
    EXPECT_EQ(codes, (std::vector<int>{3, 131, 131, 200, 135, 200, 204, 200}));
}

TEST_F(EmbeddedEngineTest, QuotesSemicolonsAndKeywordsInsideLiteralsNeverChangeTheStatement)
{
    const QString tricky = "x'); DROP TABLE T; -- TOP 5 + getdate() [dbo].y /* z */ N'w";
    QString quoted = tricky;
    quoted.replace("'", "''");
    EXPECT_EQ(connection->execute("insert into T (ID, Name) values (1, N'" + quoted + "')"), 1);
    EXPECT_EQ(TempServers::scalar(*connection, "select Name from T where Name = '" + quoted + "'").toString(), tricky);
    EXPECT_EQ(TempServers::scalar(*connection, "select count(*) from T").toString(), "1");
    EXPECT_EQ(TempServers::scalar(*connection, "select 'a;b' + ';' + 'c -- d'").toString(), "a;b;c -- d");
    connection->execute("create table [odd]] name] ([col 1] int)");
    connection->execute("insert into [odd]] name] ([col 1]) values (7)");
    EXPECT_EQ(TempServers::scalar(*connection, "select [col 1] from [odd]] name]").toString(), "7");
}

TEST_F(EmbeddedEngineTest, FunctionsBehaveAsSqlServersDo)
{
    connection->execute("insert into T (ID, Name, Amount, Day) values (1, 'Ravi  ', 1250.5, '2026-12-05 09:05:00')");
    EXPECT_EQ(TempServers::rows(*connection,
                                "select len(Name), left(Name, 2), right('abcdef', 3), charindex('V', Name), substring('abcdef', 2, 3), "
                                "isnull(NULL, 'none'), upper(N'ωx'), ltrim('  a'), replace('aXbx', 'x', '-') from T"),
              "4|Ra|def|3|bcd|none|ΩX|a|a-b-");
    EXPECT_EQ(TempServers::rows(*connection,
                                "select day(Day), month(Day), year(Day), dateadd(dd, 27, Day), dateadd(month, 1, '2028-01-31'), "
                                "datediff(day, '2026-12-31 23:59:00', '2027-01-01 00:01:00'), datediff(minute, Day, dateadd(hh, 2, Day)) from T"),
              "5|12|2026|2027-01-01 09:05:00|2028-02-29 00:00:00|1|120");
    EXPECT_EQ(TempServers::rows(*connection,
                                "select cast(Day as varchar(30)), convert(varchar(10), Day, 103), convert(varchar, Day, 120), "
                                "cast(Amount as int), cast('12' as int) + 1, cast(ID as varchar(5)) + 'x', cast('05/Dec/2026' as datetime) from T"),
              "Dec  5 2026  9:05AM|05/12/2026|2026-12-05 09:05:00|1250|13|1x|2026-12-05 00:00:00");
    EXPECT_EQ(TempServers::rows(*connection, "select top 1 ID from T order by ID"), "1");
    EXPECT_EQ(TempServers::rows(*connection, "select ID from T where ID in (select top (1) ID from T) and Name + 'x' = 'Ravi  x'"), "1");
    EXPECT_EQ(TempServers::rows(*connection, "select ID from T with (nolock) where Day between '05/Dec/2026' and '2026-12-06'"), "1");
    EXPECT_EQ(errorOf([&] { connection->execute("select cast('abc' as int)"); }).message(),
              "Conversion failed when converting the varchar value 'abc' to data type int.");
    EXPECT_EQ(errorOf([&] { connection->execute("select 'abc' + 1"); }).message(),
              "Conversion failed when converting the varchar value 'abc' to data type int.");
    // char and nchar are functions in expressions and types elsewhere.
    connection->execute("create table C (ID int NOT NULL PRIMARY KEY, Code nchar(4), Note nvarchar(20))");
    connection->execute("insert into C (ID, Code, Note) values (1, convert(char(4), 'ab'), N'nul' + NCHAR(0) + N'after' + CHAR(31))");
    // Ten characters: the NUL and the 0x1F are in the value, not the end of it.
    EXPECT_EQ(TempServers::rows(*connection, "select len(Note), rtrim(cast(Code as nchar(4))) from C"), "10|ab");
    EXPECT_EQ(TempServers::rows(*connection, "select char(65), nchar(8377), char(256), nchar(-1) from C"), QString::fromUtf8("A|₹|NULL|NULL"));
}

TEST_F(EmbeddedEngineTest, TransactionsCommitAndRollBackAndRowsAffectedCountOnlyData)
{
    connection->beginTrans();
    connection->execute("insert into T (ID, Name) values (1, 'kept')");
    connection->commitTrans();
    connection->beginTrans();
    connection->execute("insert into T (ID, Name) values (2, 'dropped')");
    // A failing statement inside the transaction leaves the decision to the caller.
    EXPECT_TRUE(errorOf([&] { connection->execute("insert into T (ID, Name) values (1, 'dup')"); }).isDuplicateKey());
    EXPECT_EQ(TempServers::scalar(*connection, "select count(*) from T").toString(), "2");
    connection->rollbackTrans();
    EXPECT_EQ(TempServers::rows(*connection, "select ID, Name from T"), "1|kept");

    connection->execute("BEGIN TRAN; insert into T (ID, Name) values (3, 'text'); ROLLBACK TRAN");
    EXPECT_EQ(TempServers::scalar(*connection, "select count(*) from T").toString(), "1");
    connection->execute("BEGIN TRANSACTION; insert into T (ID, Name) values (3, 'text'); COMMIT");
    auto other = servers.open(QStringLiteral("embedded:BR"), QStringLiteral("SUB01"));
    EXPECT_EQ(TempServers::scalar(*other, "select Name from T where ID = 3").toString(), "text");
    EXPECT_EQ(errorOf([&] { connection->execute("COMMIT"); }).nativeCode(), 3902);
    // Rows affected count only data statements.
    EXPECT_EQ(connection->execute("insert into T (ID) values (11); insert into T (ID) values (12)"), 1);
    EXPECT_EQ(connection->execute("update T set Name = 'n' where ID > 10"), 2);
    EXPECT_EQ(connection->execute("update T set Name = 'n' where ID = 99"), 0);
    EXPECT_EQ(connection->execute("create table U (a int)"), 0);
    EXPECT_EQ(connection->execute("SET NOCOUNT ON; delete from T where ID > 10"), 2);
    EXPECT_EQ(TempServers::rows(*connection, "SET NOCOUNT ON; SET DATEFORMAT ymd; select count(*) from T where ID > 10"), "0");
}

// The benchmarks' round-trip counts and simulated distance rest on being told of every exchange,
// the failed ones included, in the order they were sent.
TEST_F(EmbeddedEngineTest, AnObserverIsToldOfEveryRoundTripBeforeItIsMade)
{
    struct Seen : db::RoundTripObserver {
        void beforeRoundTrip(const db::ConnectionInfo& info, db::RoundTrip kind, const QString& sql) override
        {
            trips << QStringLiteral("%1 %2 %3").arg(info.catalog).arg(int(kind)).arg(sql);
        }
        QStringList trips;
    } seen;
    db::ConnectionContext context{servers.folder()};
    context.roundTrips = &seen;
    db::Connection watched(context);
    EXPECT_ANY_THROW(watched.open(TempServers::connectionText(QStringLiteral("embedded:BR"), QStringLiteral("NOPE"))));
    watched.open(TempServers::connectionText(QStringLiteral("embedded:BR"), QStringLiteral("SUB01")));
    watched.beginTrans();
    watched.execute("insert into T (ID) values (1)");
    EXPECT_ANY_THROW(watched.execute("insert into T (ID) values (1)"));
    watched.rollbackTrans();
    watched.beginTrans();
    watched.openRecordset("select count(*) from T");
    watched.commitTrans();
    EXPECT_EQ(seen.trips, QStringList({"NOPE 0 ", "SUB01 0 ", "SUB01 2 ", "SUB01 1 insert into T (ID) values (1)",
                                       "SUB01 1 insert into T (ID) values (1)", "SUB01 4 ", "SUB01 2 ", "SUB01 1 select count(*) from T",
                                       "SUB01 3 "}));
    EXPECT_EQ(TempServers::scalar(*connection, "select count(*) from T").toString(), "0");
}

TEST_F(EmbeddedEngineTest, FirstInStatementLetsATriggerWriteOneRowPerStatement)
{
    connection->execute("create table Activity (ID int IDENTITY(1,1) PRIMARY KEY, TableName varchar(50), At datetime)");
    servers.server("embedded:BR").executeNative("SUB01",
        "CREATE TRIGGER T_update AFTER UPDATE ON T FOR EACH ROW WHEN mirtane_first_in_statement('T update') = 1 "
        "BEGIN INSERT INTO Activity (TableName, At) VALUES ('T', mssql_getdate()); END;");
    connection->execute("insert into T (ID) values (1); insert into T (ID) values (2); insert into T (ID) values (3)");
    connection->execute("update T set Name = 'a'");
    EXPECT_EQ(TempServers::scalar(*connection, "select count(*) from Activity").toString(), "1");
    connection->execute("update T set Name = 'b' where ID = 99");
    EXPECT_EQ(TempServers::scalar(*connection, "select count(*) from Activity").toString(), "1");
    connection->execute("update T set Name = 'c' where ID < 3; update T set Name = 'd'");
    EXPECT_EQ(TempServers::scalar(*connection, "select count(*) from Activity").toString(), "3");
    EXPECT_EQ(connection->openRecordset("select At from Activity").field(0).typeCode(), db::TypeCode::DBTimeStamp);
}

TEST_F(EmbeddedEngineTest, CommandTimeoutStopsALongStatementOrALockWait)
{
    connection->setCommandTimeout(1);
    const db::DbError error = errorOf([&] {
        connection->openRecordset("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n");
    });
    // SQL Server's text, then which database waited.
    EXPECT_EQ(error.message(), "Query timeout expired (database 'SUB01' on embedded:BR)");
    EXPECT_EQ(error.sqlState(), "HYT00");
    EXPECT_EQ(TempServers::scalar(*connection, "select count(*) from T").toString(), "0");

    auto other = servers.open(QStringLiteral("embedded:BR"), QStringLiteral("SUB01"));
    other->beginTrans();
    other->execute("insert into T (ID) values (1)");
    const db::DbError lock = errorOf([&] { connection->execute("insert into T (ID) values (2)"); });
    EXPECT_EQ(lock.message(), "Lock request time out period exceeded. (database 'SUB01' on embedded:BR)");
    EXPECT_EQ(lock.nativeCode(), 1222);
    other->rollbackTrans();
    EXPECT_EQ(connection->execute("insert into T (ID) values (2)"), 1);
}

TEST_F(EmbeddedEngineTest, SelectStarIntoKeepsTheSourceColumnsButNotItsKeys)
{
    connection->execute("insert into T values (1, 'Alpha', 12.50, '2026-12-05 10:30:00')");
    connection->execute("insert into T values (2, NULL, NULL, NULL)");
    EXPECT_EQ(connection->execute("select * into #copy from T"), 2);
    db::Recordset copy = connection->openRecordset("select * from #copy order by ID");
    std::vector<int> codes;
    for (const db::Column& column : copy.columns())
        codes.push_back(column.typeCode);
    EXPECT_EQ(codes, (std::vector<int>{3, 200, 131, 135}));
    EXPECT_EQ(TempServers::rows(*connection, "select * from #copy order by ID"),
              "1|Alpha|12.50|2026-12-05 10:30:00\n"
              "2|NULL|NULL|NULL");
    // Text compares without regard to case, as in the source.
    EXPECT_EQ(TempServers::scalar(*connection, "select count(*) from #copy where Name = 'ALPHA'").toString(), "1");
    // NOT NULL is kept; the primary key is not, as with SQL Server's SELECT ... INTO.
    EXPECT_EQ(errorOf([&] { connection->execute("insert into #copy (ID) values (NULL)"); }).nativeCode(), 515);
    EXPECT_NO_THROW(connection->execute("insert into #copy (ID) values (1)"));

    // A source that cannot be read leaves no table behind.
    EXPECT_EQ(errorOf([&] { connection->execute("select * into #none from Missing"); }).nativeCode(), 208);
    EXPECT_EQ(errorOf([&] { connection->execute("select * from #none"); }).nativeCode(), 208);
    EXPECT_EQ(errorOf([&] { connection->execute("select * into #copy from T"); }).nativeCode(), 2714);

    // Temporary tables and identity columns.
    connection->execute("create table N (ID int IDENTITY(1,1) PRIMARY KEY, Name varchar(10) NOT NULL DEFAULT 'none', At datetime DEFAULT getdate())");
    connection->execute("insert into N (Name) values ('a')");
    connection->execute("insert into N (At) values ('2026-12-05')");
    EXPECT_EQ(TempServers::rows(*connection, "select ID, Name, At from N where ID = 2"), "2|none|2026-12-05 00:00:00");
    EXPECT_FALSE(connection->openRecordset("select At from N where ID = 1").field(0).isNull());
    connection->execute("select ID, Name into #names from N where ID = 1");
    EXPECT_EQ(TempServers::rows(*connection, "select * from #names"), "1|a");
    connection->execute("drop table #names");
    EXPECT_EQ(errorOf([&] { connection->execute("select * from #names"); }).nativeCode(), 208);
}

TEST_F(EmbeddedEngineTest, FailedSelectIntoKeepsTheCallersTransactionAndAlterColumnKeepsRows)
{
    connection->execute("insert into T (ID, Name) values (1, 'abc')");
    db::Transaction transaction(*connection);
    connection->execute("insert into T (ID, Name) values (2, 'def')");
    EXPECT_THROW(connection->execute("select * into Copy from T where cast(Name as int) = 1"), db::DbError);
    EXPECT_EQ(TempServers::scalar(*connection, "select count(*) from sqlite_schema where name = 'Copy'").toString(), "0");
    transaction.commit();
    EXPECT_EQ(TempServers::scalar(*connection, "select count(*) from T").toString(), "2");
    // Altering a column changes a scaled number and keeps its rows.
    connection->execute("delete from T");
    connection->execute("insert into T (ID, Amount) values (3, 12.25)");
    connection->execute("alter table T alter column Amount numeric(18,3) NOT NULL");
    EXPECT_EQ(TempServers::rows(*connection, "select Amount * 2 from T where ID = 3"), "24.500");
    EXPECT_EQ(errorOf([&] { connection->execute("insert into T (ID) values (4)"); }).nativeCode(), 515);
}
