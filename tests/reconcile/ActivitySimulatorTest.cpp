// The activity simulator: its changes reach the head office and are recorded by the change capture.
#include "TempServers.h"
#include "db/Connection.h"
#include "tools/simulator/ActivitySimulator.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

const QDate today(2026, 12, 5);

class ActivitySimulatorTest : public ::testing::Test {
protected:
    support::TempServers servers{7, today};

    qlonglong count(const QString& sql) { return support::TempServers::scalar(servers.headOffice(), sql).toLongLong(); }
    qlonglong activity(const QString& table, const QString& action, qlonglong above)
    {
        return count(QStringLiteral("SELECT COUNT(*) FROM tblActivity WHERE TableName = '%1' AND Action = '%2' AND ID > %3")
                         .arg(table, action)
                         .arg(above));
    }
};

} // namespace

TEST_F(ActivitySimulatorTest, OneRoundMakesEveryKindOfChangeAndTheTriggersRecordThem)
{
    const qlonglong mark = count("SELECT ISNULL(MAX(ID), 0) FROM tblActivity");
    const qlonglong sales = count("SELECT COUNT(*) FROM tblSales");
    const qlonglong categories = count("SELECT COUNT(*) FROM tblCategories");
    tools::ActivitySimulator simulator(servers.headOffice(), today, 3);
    for (int i = 0; i < 10; ++i)
        simulator.step();

    EXPECT_EQ(activity("tblLedger", "Insert", mark), 1);
    EXPECT_EQ(activity("tblLedger", "Update", mark), 1);
    EXPECT_EQ(activity("tblItemMaster", "Insert", mark), 1);
    EXPECT_EQ(activity("tblItemMaster", "Update", mark), 1);
    EXPECT_EQ(activity("tblCategories", "Insert", mark), 1);
    EXPECT_EQ(activity("tblCategories", "Deleted", mark), 1);
    EXPECT_EQ(activity("tblSales", "Insert", mark), 4);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblSales"), sales + 4);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tblCategories"), categories);
    // Every new voucher is dated today and has its lines.
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM tblSales WHERE InvID > %1 AND InvDate = '2026-12-05'").arg(sales)), 4);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM tblSales s WHERE InvID > %1 AND NOT EXISTS "
                                   "(SELECT 1 FROM tblSalesItem i WHERE i.InvID = s.InvID)")
                        .arg(sales)),
              0);
}

// Each change leaves one activity row; a limit of changes ends the program whatever the time.
TEST_F(ActivitySimulatorTest, ProgramMakesTheGivenNumberOfChangesAndLeavesTheirActivityRows)
{
    const qlonglong mark = count("SELECT ISNULL(MAX(ID), 0) FROM tblActivity");
    QProcess simulator;
    simulator.start(QStringLiteral(MIRTANE_SIMULATOR), {servers.folder(), "--rate", "100", "--seconds", "86400", "--changes", "5"});
    ASSERT_TRUE(simulator.waitForFinished(60000));
    const QString output = QString::fromUtf8(simulator.readAllStandardOutput());
    EXPECT_EQ(simulator.exitCode(), 0) << simulator.readAllStandardError().toStdString();
    EXPECT_TRUE(output.contains("\n5 changes made.")) << output.toStdString();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM tblActivity WHERE ID > %1").arg(mark)), 5);
}

TEST_F(ActivitySimulatorTest, ProgramRefusesBadArgumentsAndAMissingDemo)
{
    QProcess simulator;
    simulator.start(QStringLiteral(MIRTANE_SIMULATOR), {servers.folder(), "--rate", "0"});
    ASSERT_TRUE(simulator.waitForFinished(15000));
    EXPECT_EQ(simulator.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(simulator.readAllStandardError()).startsWith("The rate must be a whole number from 1 to 100."));
    simulator.start(QStringLiteral(MIRTANE_SIMULATOR), {servers.folder(), "--changes", "0"});
    ASSERT_TRUE(simulator.waitForFinished(15000));
    EXPECT_EQ(simulator.exitCode(), 2);

    simulator.start(QStringLiteral(MIRTANE_SIMULATOR), {servers.folder() + "/nowhere", "--seconds", "1"});
    ASSERT_TRUE(simulator.waitForFinished(15000));
    EXPECT_EQ(simulator.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(simulator.readAllStandardError()).contains("no demo head office"));
}
