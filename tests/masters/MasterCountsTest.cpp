// The master count grid: equal counts, one difference, a closed source and a failing query.
#include "masters/MasterCounts.h"

#include "RecordingReporter.h"
#include "TempServers.h"
#include "VectorControls.h"

#include <gtest/gtest.h>

using masters::MasterCounts;
using support::TempServers;

namespace {
class MasterCountsTest : public ::testing::Test {
protected:
    TempServers servers;
    support::RecordingReporter reporter;
    support::VectorGridControl grid;
    MasterCounts counts{servers.branch(), servers.headOffice(), reporter};

    // Compares and shows the counts as the window does; true when they differ.
    bool fill()
    {
        const report::CountComparison compared = counts.count();
        MasterCounts::show(compared, {}, grid);
        return compared.anyDiffers();
    }

    // Both companies get the head office's masters of the ten counted tables.
    void equalise()
    {
        for (const char* table : {"tblCategories", "tblItemMaster", "tblAgent", "tblArea", "tblAccountGroup", "tblEmployee",
                                  "tblLedger", "tblTaxClass", "tblUserGroupMaster", "tblUserMaster"}) {
            const QString t = QString::fromLatin1(table);
            servers.branch().execute("delete from " + t);
            servers.headOffice().execute("delete from " + t);
        }
        servers.headOffice().execute("insert into tblLedger (LID, LName) values (1, 'Cash')");
        servers.branch().execute("insert into tblLedger (LID, LName) values (1, 'Cash')");
    }
};
} // namespace

TEST_F(MasterCountsTest, OneMoreLedgerInTheSourceMarksOnlyTheLedgerRow)
{
    equalise();
    servers.headOffice().execute("insert into tblLedger (LID, LName) values (2, 'Bank')");
    EXPECT_TRUE(fill());
    for (int r = 0; r < grid.rowCount(); ++r) {
        if (grid.cell(r, 0) == "Ledger") {
            EXPECT_EQ(grid.rows[size_t(r)], (QStringList{"Ledger", "1", "2"}));
            EXPECT_EQ(grid.cellBackground(r, 0), report::CellColour::Red);
        } else {
            EXPECT_EQ(grid.cellBackground(r, 0), report::CellColour::Plain) << r;
        }
    }
}

TEST_F(MasterCountsTest, MissingTableStopsWithANotificationAndAClosedSourceChangesNothing)
{
    servers.headOffice().execute("DROP TABLE tblAgent");
    EXPECT_FALSE(fill());
    EXPECT_EQ(grid.rowCount(), 11);
    EXPECT_EQ(grid.cell(0, 2), "");
    ASSERT_EQ(reporter.balloons.size(), 1u);
    EXPECT_TRUE(reporter.balloons[0].contains("tblAgent"));

    // A closed source changes nothing and says nothing.
    grid.reset("x|y");
    grid.addRow("kept");
    servers.headOffice().close();
    EXPECT_FALSE(counts.count().counted);
    fill();
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(reporter.balloons.size(), 1u);
}
