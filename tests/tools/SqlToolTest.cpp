#include "TempServers.h"

#include "tools/demo/DemoBuilder.h"

#include <QProcess>

#include <gtest/gtest.h>

using tools::DemoBuilder;
using support::TempServers;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

// mirtane-sql run as a process on a small demo: output format, row counts, failures, scripts.
class SqlToolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { demo = new TempServers(); }
    static void TearDownTestSuite()
    {
        delete demo;
        demo = nullptr;
    }

    static ToolRun run(const QStringList& arguments, const QByteArray& input = {})
    {
        QProcess process;
        process.start(QStringLiteral(MIRTANE_SQL_PROGRAM), QStringList{QStringLiteral("--program-folder"), demo->folder()} + arguments);
        ToolRun result;
        if (!process.waitForStarted(10000))
            return result;
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(30000);
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
    static QString branch() { return DemoBuilder::connectionText(DemoBuilder::branchDataSource(), DemoBuilder::branchCompany()); }

    static TempServers* demo;
};

TempServers* SqlToolTest::demo = nullptr;

TEST_F(SqlToolTest, SelectPrintsATypedHeaderAndTabSeparatedRows)
{
    const ToolRun r = run({DemoBuilder::connectionText(DemoBuilder::branchDataSource(), QStringLiteral("QRNStartup")),
                       QStringLiteral("select CompanyCode, ApplicationID, active, FinancialYearTo from tblcompany order by CompanyID")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4) << r.out.toStdString();
    EXPECT_EQ(lines.at(0).toStdString(), "CompanyCode:200\tApplicationID:3\tactive:11\tFinancialYearTo:135");
    EXPECT_TRUE(lines.at(1).startsWith(QStringLiteral("SUB01\t33\t1\t"))) << lines.at(1).toStdString();
    EXPECT_TRUE(lines.at(2).startsWith(QStringLiteral("SUB00\t33\t0\t"))) << lines.at(2).toStdString();
    EXPECT_TRUE(lines.at(3).isEmpty());
}

TEST_F(SqlToolTest, NullsAndTabsKeepEveryRowOnOneLine)
{
    demo->branch().execute(QStringLiteral("insert into tblArea (AreaID, Area, AreaCode) values (801, 'North\tEast\\Side', NULL)"));
    const ToolRun r = run({branch(), QStringLiteral("select Area, AreaCode from tblArea where AreaID = 801")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(), "Area:200\tAreaCode:200\nNorth\\tEast\\\\Side\tNULL\n");
}

TEST_F(SqlToolTest, OtherStatementsPrintTheRowsAffected)
{
    ToolRun r = run({branch(), QStringLiteral("insert into tblArea (AreaID, Area) values (802, 'Feroke')")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(), "(1 rows affected)\n");
    r = run({branch(), QStringLiteral("update tblArea set ActiveStatus = 0 where AreaID in (802, 1, 2)")});
    EXPECT_EQ(r.out.toStdString(), "(3 rows affected)\n");
    EXPECT_EQ(TempServers::rows(demo->branch(), QStringLiteral("select Area, ActiveStatus from tblArea where AreaID = 802")).toStdString(),
              "Feroke|0");
}

TEST_F(SqlToolTest, FailureExitsNonZeroWithTheServersMessage)
{
    ToolRun r = run({branch(), QStringLiteral("select * from tblNothing")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Invalid object name 'tblNothing'."))) << r.err.toStdString();

    r = run({branch(), QStringLiteral("insert into tblLedger (LID, LName) values (1, 'Again')")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Cannot insert duplicate key"))) << r.err.toStdString();

    r = run({DemoBuilder::connectionText(DemoBuilder::branchDataSource(), QStringLiteral("NOSUCH")), QStringLiteral("select 1")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Cannot open database"))) << r.err.toStdString();
}

TEST_F(SqlToolTest, StandardInputRunsBatchesSeparatedByGo)
{
    const ToolRun r = run({branch()}, "insert into tblArea (AreaID, Area)\nvalues (803, 'Kuttiady')\nGO\n"
                                  "select Area from tblArea where AreaID = 803\n  go  \n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(), "(1 rows affected)\nArea:200\nKuttiady\n");
}

TEST_F(SqlToolTest, StandardInputLinesStopAtTheFirstFailure)
{
    const ToolRun r = run({branch()}, "insert into tblArea (AreaID, Area) values (804, 'Nadapuram')\n"
                                  "-- a comment line\n"
                                  "insert into tblMissing values (1)\n"
                                  "insert into tblArea (AreaID, Area) values (805, 'Never')\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.toStdString(), "(1 rows affected)\n");
    EXPECT_TRUE(r.err.contains(QStringLiteral("tblMissing"))) << r.err.toStdString();
    EXPECT_EQ(TempServers::rows(demo->branch(), QStringLiteral("select AreaID from tblArea where AreaID in (804, 805)")).toStdString(), "804");
}

TEST_F(SqlToolTest, MissingConnectionTextPrintsUsage)
{
    const ToolRun r = run({});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("Usage: mirtane-sql"))) << r.err.toStdString();
}
