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

// What a run prints for other statements, NULLs, tabs and backslashes, scripts on standard input
// (batches ended by GO, or lines that stop at the first failure), failures with the server's
// message, and without a connection text.
TEST_F(SqlToolTest, StatementsAndScriptsPrintRowsAffectedAndEscapedValues)
{
    struct Case {
        const char* what;
        QStringList arguments;
        QByteArray input;
        int exitCode;
        std::string out;
        const char* error = ""; // a part of what it writes to standard error
    };
    demo->branch().execute(QStringLiteral("insert into tblArea (AreaID, Area, AreaCode) values (801, 'North\tEast\\Side', NULL)"));
    const Case cases[] = {
        {"NULLs and tabs keep every row on one line", {branch(), "select Area, AreaCode from tblArea where AreaID = 801"}, {}, 0,
         "Area:200\tAreaCode:200\nNorth\\tEast\\\\Side\tNULL\n"},
        {"an insert", {branch(), "insert into tblArea (AreaID, Area) values (802, 'Feroke')"}, {}, 0, "(1 rows affected)\n"},
        {"an update", {branch(), "update tblArea set ActiveStatus = 0 where AreaID in (802, 1, 2)"}, {}, 0, "(3 rows affected)\n"},
        {"batches separated by GO", {branch()},
         "insert into tblArea (AreaID, Area)\nvalues (803, 'Kuttiady')\nGO\nselect Area from tblArea where AreaID = 803\n  go  \n", 0,
         "(1 rows affected)\nArea:200\nKuttiady\n"},
        {"lines stop at the first failure", {branch()},
         "insert into tblArea (AreaID, Area) values (804, 'Nadapuram')\n-- a comment line\ninsert into tblMissing values (1)\n"
         "insert into tblArea (AreaID, Area) values (805, 'Never')\n",
         1, "(1 rows affected)\n"},
        {"no connection text prints the usage", {}, {}, 2, "", "Usage: mirtane-sql"},
        {"a missing table", {branch(), "select * from tblNothing"}, {}, 1, "", "Invalid object name 'tblNothing'."},
        {"a duplicate key", {branch(), "insert into tblLedger (LID, LName) values (1, 'Again')"}, {}, 1, "", "Cannot insert duplicate key"},
        {"a missing database", {DemoBuilder::connectionText(DemoBuilder::branchDataSource(), "NOSUCH"), "select 1"}, {}, 1, "",
         "Cannot open database"},
    };
    for (const Case& c : cases) {
        const ToolRun r = run(c.arguments, c.input);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.what << ": " << r.err.toStdString();
        EXPECT_EQ(r.out.toStdString(), c.out) << c.what;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.error))) << c.what << ": " << r.err.toStdString();
    }
    EXPECT_EQ(TempServers::rows(demo->branch(), QStringLiteral("select Area, ActiveStatus from tblArea where AreaID = 802")).toStdString(),
              "Feroke|0");
    EXPECT_EQ(TempServers::rows(demo->branch(), QStringLiteral("select AreaID from tblArea where AreaID in (804, 805)")).toStdString(), "804");
}

