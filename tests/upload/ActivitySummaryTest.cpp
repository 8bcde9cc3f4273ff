// The activity summary of a tick: counts per table and day above the mark, with their log entries.
#include "RecordingReporter.h"
#include "TempServers.h"
#include "VectorControls.h"

#include "upload/ActivitySummary.h"

#include <gtest/gtest.h>

using support::TempServers;
using upload::ActivitySummary;

namespace {

class ActivitySummaryTest : public ::testing::Test {
protected:
    TempServers servers;
    support::RecordingReporter reporter;
    support::VectorGridControl grid;

    void addActivity(int id, const QString& table, const QString& day, int parentId = 0)
    {
        servers.headOffice().execute(
            QStringLiteral("insert into tblActivity (ID, TableName, tblUniqueID, Action, Active, DateofAction, ParentId, VchTypeid) "
                           "values (%1, '%2', %1, 'Insert', 1, '%3 00:00:00', %4, 0)")
                .arg(id)
                .arg(table, day)
                .arg(parentId));
    }
};

} // namespace

TEST_F(ActivitySummaryTest, CountsEveryActivityAboveTheMarkPerTableAndDay)
{
    EXPECT_EQ(ActivitySummary::query(42).toStdString(),
              " SELECT  COUNT(tblUniqueID) AS Updations, TableName, DAY(DateofAction) AS day, MONTH(DateofAction) AS Month, "
              "YEAR(DateofAction) AS year From tblActivity where ID>42 GROUP BY TableName, DAY(DateofAction), MONTH(DateofAction), "
              "YEAR(DateofAction) ");
    servers.headOffice().execute("delete from tblActivity");
    addActivity(1, "tblLedger", "2026-12-04"); // at the mark: not counted
    addActivity(2, "tblLedger", "2026-12-05");
    addActivity(3, "tblLedger", "2026-12-05");
    addActivity(4, "tblSales", "2026-12-05", 18);
    addActivity(5, "tblLedger", "2027-01-09");
    grid.addRow("old\trow");

    ActivitySummary(servers.headOffice(), reporter).fill(grid, 1);

    EXPECT_EQ(grid.titles.join('|').toStdString(), "Updations | TableName | Date ");
    QStringList rows;
    for (const QStringList& row : grid.rows)
        rows << row.join(',');
    rows.sort();
    EXPECT_EQ(rows.join(';').toStdString(), "1,tblLedger,9/1/2027;1,tblSales,5/12/2026;2,tblLedger,5/12/2026");
    ASSERT_EQ(reporter.logs.size(), 4u);
    EXPECT_EQ(reporter.logs[0].tag.toStdString(), "Query Opened");
    EXPECT_EQ(reporter.logs[0].text, ActivitySummary::query(1));
    QStringList logged;
    for (size_t i = 1; i < reporter.logs.size(); ++i) {
        EXPECT_EQ(reporter.logs[i].tag.toStdString(), "Looping query ");
        logged << reporter.logs[i].text;
    }
    logged.sort();
    EXPECT_EQ(logged.join(';').toStdString(), "1\ttblLedger\t9/1/2027;1\ttblSales\t5/12/2026;2\ttblLedger\t5/12/2026");
}

TEST_F(ActivitySummaryTest, NothingAboveTheMarkLeavesTheTitlesOnly)
{
    grid.addRow("old\trow");
    ActivitySummary(servers.headOffice(), reporter).fill(grid, 1000);
    EXPECT_EQ(grid.rowCount(), 0);
    EXPECT_EQ(grid.titles.size(), 3);
    EXPECT_EQ(reporter.logs.size(), 1u);
}

TEST_F(ActivitySummaryTest, FailingQueryThrowsAndLeavesTheGrid)
{
    servers.headOffice().execute("drop table tblActivity");
    grid.addRow("old\trow");
    EXPECT_THROW(ActivitySummary(servers.headOffice(), reporter).fill(grid, 0), std::exception);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_TRUE(reporter.logs.empty());
}
