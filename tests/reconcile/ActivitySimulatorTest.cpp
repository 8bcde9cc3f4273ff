// The activity simulator: its changes reach the head office and are recorded by the change capture.
#include "TempServers.h"
#include "db/Connection.h"
#include "tools/simulator/ActivitySimulator.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <tuple>

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

    for (const auto& [table, action, rows] : {std::tuple{"tblLedger", "Insert", 1}, {"tblLedger", "Update", 1}, {"tblItemMaster", "Insert", 1},
                                              {"tblItemMaster", "Update", 1}, {"tblCategories", "Insert", 1},
                                              {"tblCategories", "Deleted", 1}, {"tblSales", "Insert", 4}})
        EXPECT_EQ(activity(table, action, mark), rows) << table << " " << action;
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
