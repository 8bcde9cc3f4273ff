// The activity summary of a tick: counts kept between ticks equal one full grouped count above the
// mark, whatever the head office adds and wherever the mark moves; old rows are not read again.
#include "RecordingReporter.h"
#include "TempServers.h"
#include "VectorControls.h"

#include "upload/ActivitySummary.h"

#include <gtest/gtest.h>

#include <random>

using support::TempServers;
using upload::ActivitySummary;

namespace {

class ActivitySummaryTest : public ::testing::Test {
protected:
    TempServers servers;
    support::RecordingReporter reporter;
    support::VectorGridControl grid;
    ActivitySummary summary;
    int lastId = 0;

    void SetUp() override { servers.headOffice().execute("delete from tblActivity"); }
    // One tick's summary, shown in the grid as the window shows it.
    void fill(qint32 mark)
    {
        summary.fill(servers.headOffice(), reporter, mark);
        ActivitySummary::show(summary.rows(), grid);
    }

    // One activity row as the triggers write it (a day without a time is at midnight); empty texts stand for NULL.
    void addActivity(int id, const QString& table, const QString& day, bool keyed = true, int parentId = 18)
    {
        const auto orNull = [](const QString& text) { return text.isEmpty() ? QStringLiteral("NULL") : QLatin1Char('\'') + text + QLatin1Char('\''); };
        servers.headOffice().execute(
            QStringLiteral("insert into tblActivity (ID, TableName, tblUniqueID, Action, Active, DateofAction, ParentId, VchTypeid) "
                           "values (%1, %2, %3, 'Insert', 1, %4, %5, 0)")
                .arg(id)
                .arg(orNull(table), keyed ? QString::number(id) : QStringLiteral("NULL"), orNull(day.isEmpty() || day.contains(' ') ? day : day + " 00:00:00"))
                .arg(parentId));
        lastId = std::max(lastId, id);
    }

    // What the whole summary query returns for `mark`, one "count,table,day" per row, sorted. The
    // head office groups table names regardless of letter case and may show either spelling.
    QStringList fullSummary(int mark)
    {
        db::Recordset rows = servers.headOffice().openRecordset(
            QStringLiteral(" SELECT  COUNT(tblUniqueID) AS Updations, TableName, DAY(DateofAction) AS day, MONTH(DateofAction) AS Month, "
                           "YEAR(DateofAction) AS year From tblActivity where ID>%1 GROUP BY TableName, DAY(DateofAction), "
                           "MONTH(DateofAction), YEAR(DateofAction) ")
                .arg(mark));
        QStringList result;
        for (; !rows.eof(); rows.moveNext())
            result << rows.field(0).text() + ',' + rows.field(1).text().toLower() + ',' + rows.field(2).text() + '/' + rows.field(3).text()
                    + '/' + rows.field(4).text();
        result.sort();
        return result;
    }

    QStringList shown() const
    {
        QStringList result;
        for (const QStringList& row : grid.rows)
            result << row[0] + ',' + row[1].toLower() + ',' + row[2];
        result.sort();
        return result;
    }

    QStringList sentStatements() const
    {
        QStringList result;
        for (const auto& entry : reporter.logs)
            if (entry.tag == QLatin1String("Query Opened"))
                result << entry.text;
        return result;
    }
};

} // namespace

TEST_F(ActivitySummaryTest, KeptCountsEqualTheFullSummaryThroughChangesAndMarkMoves)
{
    std::mt19937 random(18);
    const auto pick = [&random](int below) { return int(random() % unsigned(below)); };
    const QStringList tables = {"tblSales", "tblLedger", "TBLSALES", "tblSalesItem", ""};
    // The triggers date every change at midnight; a date with a time of day is still that day.
    const QStringList days = {"2026-12-04", "2026-12-05", "2027-01-09", "", "2026-12-05 17:45:10"};
    int mark = 0;
    int busySteps = 0;
    for (int step = 0; step < 60; ++step) {
        const int before = lastId;
        for (int n = pick(6); n > 0; --n) {
            // Now and then two changes committed together share a number.
            const int id = pick(4) == 0 && lastId > before ? lastId : lastId + 1;
            addActivity(id, tables[pick(tables.size())], days[pick(days.size())], pick(5) != 0, pick(3) == 0 ? 0 : 18);
        }
        if (pick(3) == 0)
            mark = std::max(0, mark + pick(lastId - mark + 6) - 2); // forwards mostly, past the counted rows too, back a little
        fill(mark);
        ASSERT_EQ(shown(), fullSummary(mark)) << "step " << step << ", mark " << mark << ", last id " << lastId;
        busySteps += grid.rowCount() >= 3 ? 1 : 0;
    }
    EXPECT_GT(busySteps, 20);
    EXPECT_EQ(grid.titles.join('|').toStdString(), "Updations | TableName | Date ");
}

TEST_F(ActivitySummaryTest, IdleTickReadsNoActivityRowAgain)
{
    for (int id = 1; id <= 30; ++id)
        addActivity(id, id % 2 ? "tblSales" : "tblLedger", id <= 20 ? "2026-12-04" : "2026-12-05");
    fill(10);
    EXPECT_EQ(summary.rowsRead(), 20);

    addActivity(31, "tblSales", "2026-12-05");
    addActivity(32, "tblCategories", "2026-12-05");
    reporter.logs.clear();
    fill(10);
    EXPECT_EQ(summary.rowsRead(), 2);
    const QStringList before = shown();
    EXPECT_EQ(before, fullSummary(10));

    // Rows already counted are changed behind the program's back: a tick that read them again would show it.
    servers.headOffice().execute("update tblActivity set TableName = 'tblRewritten'");
    reporter.logs.clear();
    fill(10);
    EXPECT_EQ(summary.rowsRead(), 0);
    EXPECT_EQ(shown(), before);
    const QStringList sent = sentStatements();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(TempServers::rows(servers.headOffice(), sent[0]), QString()) << sent[0].toStdString();
    ASSERT_EQ(reporter.logs.size(), 1u + size_t(grid.rowCount()));
    EXPECT_EQ(reporter.logs.back().tag.toStdString(), "Looping query ");

    // The master mark passes some counted rows: only the rows between the marks are read again.
    reporter.logs.clear();
    fill(25);
    EXPECT_EQ(summary.rowsRead(), 15);
    EXPECT_EQ(sentStatements().size(), 2);

    // After Connect everything above the mark is counted again, as the head office has it now.
    summary.restart();
    fill(25);
    EXPECT_EQ(summary.rowsRead(), 7);
    EXPECT_EQ(shown(), fullSummary(25));
    EXPECT_EQ(shown(), QStringList{"7,tblrewritten,5/12/2026"});
}
