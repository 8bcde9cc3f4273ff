#include "db/DbError.h"
#include "db/odbc/OdbcConnection.h"
#include "QtPrinters.h"

#include <QDateTime>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using db::odbc::OdbcConnection;
using db::odbc::TextCalls;

namespace {

// A SQLite database file reached through the SQLite ODBC driver, and a second session on it to
// check what really reached the file. Every case runs with text through the narrow calls (as
// FreeTDS takes it) and through the wide calls (as Microsoft's drivers, and every driver on
// Windows, take it; the driver manager hands them to this driver converted).
class OdbcConnectionTest : public ::testing::TestWithParam<TextCalls> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
#ifdef Q_OS_WIN
        // The driver named SQLite3 is Linux's libsqliteodbc; Windows has it only when someone
        // registered one under that name, and then the cases run there too.
        const QSettings drivers(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBCINST.INI"), QSettings::NativeFormat);
        if (!drivers.childGroups().contains(QStringLiteral("SQLite3")))
            GTEST_SKIP() << "no ODBC driver named SQLite3 is installed on this Windows computer";
#endif
        connection.openDriverString(driverString(), 5, GetParam());
        ASSERT_EQ(connection.textCalls(), GetParam());
    }

    QString driverString() const { return QStringLiteral("Driver=SQLite3;Database=") + dir.filePath(QStringLiteral("t.db")); }

    // A value read through a fresh session.
    QVariant scalarFromOtherSession(const QString& sql) const
    {
        OdbcConnection other;
        other.openDriverString(driverString(), 5, GetParam());
        const db::ResultData data = other.query(sql);
        return data.values.empty() ? QVariant() : data.values.front();
    }

    QTemporaryDir dir;
    OdbcConnection connection;
};

} // namespace

TEST_P(OdbcConnectionTest, ColumnsCarryTheirNamesOleDbCodesAndTypedValuesAndNullsAreInvalid)
{
    connection.execute(QStringLiteral("create table t (i int, v varchar(20), n numeric(18,4), f float, d datetime, "
                                      "b bit, tx text, bi bigint, si smallint, ti tinyint, bl blob, vb varbinary(10))"));
    connection.execute(QStringLiteral("insert into t values (42, 'abc', 2.5, 1.25, '2026-12-05 10:30:15', 1, 'long', "
                                      "9000000000, 7, 200, x'00ff', x'0a0b'), (null, '', null, null, null, null, null, null, null, null, null, null)"));
    const db::ResultData data = connection.query(QStringLiteral("select * from t"));

    const std::vector<int> codes{3, 200, 5, 5, 135, 11, 201, 20, 2, 17, 128, 204};
    ASSERT_EQ(data.columns.size(), codes.size());
    for (size_t i = 0; i < codes.size(); ++i)
        EXPECT_EQ(data.columns[i].typeCode, codes[i]) << data.columns[i].name.toStdString();
    EXPECT_EQ(data.columns[11].name, QStringLiteral("vb"));
    ASSERT_EQ(data.rowCount(), 2);
    const QVariantList expected{qlonglong(42), QStringLiteral("abc"), 2.5 /* this driver reports numeric as a double */, 1.25,
                                QDateTime(QDate(2026, 12, 5), QTime(10, 30, 15), Qt::UTC), true, QStringLiteral("long"),
                                qlonglong(9000000000LL), qlonglong(7), qlonglong(200), QByteArray("\x00\xff", 2), QByteArray("\x0a\x0b", 2)};
    for (size_t i = 0; i < codes.size(); ++i) {
        EXPECT_EQ(data.values[i], expected[qsizetype(i)]) << i;
        // NULL is an invalid variant; empty text is not.
        EXPECT_EQ(data.values[codes.size() + i].isValid(), i == 1) << i;
    }
    EXPECT_EQ(data.values[4].toDateTime().timeSpec(), Qt::UTC);
}

// The SQLite driver has no wide calls: the driver manager converts their text for it as UCS-2,
// which has no surrogate pairs, so characters beyond the first 65,536 cross the wide path only to a
// driver with wide calls (Microsoft's; SqlServerLiveTest checks it there).
constexpr const char* narrowedByTheDriverManager = "the driver manager hands the SQLite driver wide text as UCS-2";

TEST_P(OdbcConnectionTest, UnicodeTextSurvivesTheRoundTrip)
{
    if (GetParam() == TextCalls::Wide)
        GTEST_SKIP() << narrowedByTheDriverManager;
    const QString text = QStringLiteral("ü€中😀");
    connection.execute(QStringLiteral("create table t (v nvarchar(20))"));
    connection.execute(QStringLiteral("insert into t values ('") + text + QStringLiteral("')"));
    // Stored as four characters, not as mangled bytes.
    EXPECT_EQ(scalarFromOtherSession(QStringLiteral("select length(v) from t")), QVariant(qlonglong(4)));
    EXPECT_EQ(connection.query(QStringLiteral("select v from t")).values.at(0), QVariant(text));
    EXPECT_EQ(connection.query(QStringLiteral("select count(*) from t where v = '") + text + QStringLiteral("'")).values.at(0),
              QVariant(qlonglong(1)));
    // Names and error texts cross the same calls.
    EXPECT_EQ(connection.query(QStringLiteral("select v as \"Größe€\" from t")).columns.at(0).name, QStringLiteral("Größe€"));
    try {
        connection.query(QStringLiteral("select * from Lägerbestand"));
        FAIL() << "no error";
    } catch (const db::DbError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("no such table: Lägerbestand"))) << error.message().toStdString();
    }
}

TEST_P(OdbcConnectionTest, LongTextAndBinaryAreReadWholeAndRowsAffectedAreCounted)
{
    // 100 KB of text whose multi-byte characters straddle every read piece, and a 100 KB blob. The
    // text comes back whole whatever the process's locale (none on a bare system or a service).
    const QString word = GetParam() == TextCalls::Wide ? QStringLiteral("abcdefg Größe €中") : QStringLiteral("abcdefg ü€中😀");
    QString text;
    while (text.size() < 100 * 1024)
        text += word + QStringLiteral(" %1;").arg(text.size());
    QByteArray bytes(100 * 1024, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 % 251);
    connection.execute(QStringLiteral("create table t (tx text, bl blob)"));
    connection.execute(QStringLiteral("insert into t values ('") + text + QStringLiteral("', x'")
                       + QString::fromLatin1(bytes.toHex()) + QStringLiteral("')"));
    const db::ResultData data = connection.query(QStringLiteral("select tx, bl from t"));
    ASSERT_EQ(data.rowCount(), 1);
    EXPECT_TRUE(data.values[0].toString() == text) << data.values[0].toString().size();
    EXPECT_TRUE(data.values[1].toByteArray() == bytes) << data.values[1].toByteArray().size();
    // Rows affected by insert, update and delete; an empty query has its columns.
    connection.execute(QStringLiteral("create table u (i int primary key, v varchar(20))"));
    const db::ResultData empty = connection.query(QStringLiteral("select i, v from u"));
    EXPECT_EQ(empty.columns.size(), 2u);
    EXPECT_EQ(empty.rowCount(), 0);
    EXPECT_EQ(connection.execute(QStringLiteral("insert into u values (1, 'a'), (2, 'b'), (3, 'c')")), 3);
    EXPECT_EQ(connection.execute(QStringLiteral("update u set v = 'x' where i >= 2")), 2);
    EXPECT_EQ(connection.execute(QStringLiteral("delete from u where i = 1")), 1);
    EXPECT_EQ(connection.execute(QStringLiteral("update u set i = 5 where i = 99")), 0);
    EXPECT_EQ(scalarFromOtherSession(QStringLiteral("select group_concat(i || v, ',') from u")), QVariant(QStringLiteral("2x,3x")));
}

TEST_P(OdbcConnectionTest, CommitKeepsTheWorkRollbackAndCloseDiscardIt)
{
    connection.execute(QStringLiteral("create table t (i int)"));
    connection.beginTransaction();
    EXPECT_TRUE(connection.inTransaction());
    connection.execute(QStringLiteral("insert into t values (1), (2)"));
    connection.commitTransaction();
    EXPECT_FALSE(connection.inTransaction());
    connection.execute(QStringLiteral("insert into t values (3)"));
    EXPECT_EQ(scalarFromOtherSession(QStringLiteral("select count(*) from t")), QVariant(qlonglong(3)));
    // A rollback discards the work, and autocommit returns.
    connection.beginTransaction();
    connection.execute(QStringLiteral("insert into t values (4)"));
    connection.execute(QStringLiteral("delete from t where i = 1"));
    connection.rollbackTransaction();
    EXPECT_FALSE(connection.inTransaction());
    EXPECT_EQ(scalarFromOtherSession(QStringLiteral("select group_concat(i) from t")), QVariant(QStringLiteral("1,2,3")));
    connection.execute(QStringLiteral("insert into t values (5)"));
    EXPECT_EQ(scalarFromOtherSession(QStringLiteral("select count(*) from t")), QVariant(qlonglong(4)));
    // Reopening, or closing, with an open transaction discards it too.
    connection.beginTransaction();
    connection.execute(QStringLiteral("insert into t values (6)"));
    connection.openDriverString(driverString(), 5, GetParam());
    EXPECT_TRUE(connection.isOpen());
    EXPECT_FALSE(connection.inTransaction());
    EXPECT_EQ(connection.query(QStringLiteral("select count(*) from t")).values.at(0), QVariant(qlonglong(4)));
    connection.beginTransaction();
    connection.execute(QStringLiteral("insert into t values (7)"));
    connection.close();
    EXPECT_FALSE(connection.isOpen());
    EXPECT_EQ(scalarFromOtherSession(QStringLiteral("select count(*) from t")), QVariant(qlonglong(4)));
}

TEST_P(OdbcConnectionTest, AFailingStatementOrOpenGivesTheDriversTextAndChangesNothing)
{
    connection.execute(QStringLiteral("create table t (i int primary key, v varchar(5))"));
    connection.execute(QStringLiteral("insert into t values (1, 'a')"));
    try {
        connection.execute(QStringLiteral("insert into t values (1, 'b')"));
        FAIL() << "no error";
    } catch (const db::DbError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("UNIQUE constraint failed: t.i"))) << error.message().toStdString();
        EXPECT_EQ(error.sqlState().size(), 5);
        EXPECT_FALSE(error.isConnectionFailure());
    }
    EXPECT_TRUE(connection.isOpen());
    // A failing query is thrown, not an empty result.
    EXPECT_THROW(connection.query(QStringLiteral("select * from missing_table")), db::DbError);
    EXPECT_EQ(scalarFromOtherSession(QStringLiteral("select group_concat(v) from t")), QVariant(QStringLiteral("a")));
    // An open that fails leaves the connection closed.
    OdbcConnection other;
    try {
        other.openDriverString(QStringLiteral("Driver=No Such Driver;Database=x"), 5, GetParam());
        FAIL() << "no error";
    } catch (const db::DbError& error) {
        // The driver manager's own text, without its "[unixODBC][Driver Manager]" tags.
        EXPECT_EQ(error.message(), QStringLiteral("Can't open lib 'No Such Driver' : file not found"));
        EXPECT_EQ(error.sqlState().size(), 5);
    }
    EXPECT_FALSE(other.isOpen());
    try {
        other.execute(QStringLiteral("select 1"));
        FAIL() << "no error";
    } catch (const db::DbError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Operation is not allowed when the object is closed."));
    }
    // A database in a folder that does not exist.
    EXPECT_THROW(other.openDriverString(QStringLiteral("Driver=SQLite3;Database=") + dir.filePath(QStringLiteral("no/such/folder/t.db")), 5,
                                        GetParam()),
                 db::DbError);
    EXPECT_FALSE(other.isOpen());
}

INSTANTIATE_TEST_SUITE_P(TextCalls, OdbcConnectionTest, ::testing::Values(TextCalls::Narrow, TextCalls::Wide),
                         [](const ::testing::TestParamInfo<TextCalls>& info) {
                             return info.param == TextCalls::Wide ? std::string("Wide") : std::string("Narrow");
                         });

TEST(OdbcDrivers, TheDriverManagerListsTheInstalledDrivers)
{
    const QStringList drivers = OdbcConnection::installedDrivers();
    EXPECT_TRUE(drivers.contains(QStringLiteral("SQLite3"))) << drivers.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(drivers.contains(QStringLiteral("FreeTDS")));
}

