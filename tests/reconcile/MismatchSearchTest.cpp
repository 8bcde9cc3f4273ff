// Finding the branch's uploaded transactions that the head office lacks (LocateMismatchingTrans),
// and the item-count comparison for a chosen cost centre.
#include "ReconcileFixture.h"
#include "VectorControls.h"
#include "reconcile/MismatchSearch.h"

#include <algorithm>

using reconcile::MismatchSearch;
using namespace reconcile_test;

namespace {

class MismatchSearchTest : public ReconcileFixture {
protected:
    support::VectorGridControl grid;

    void SetUp() override
    {
        ReconcileFixture::SetUp();
        MismatchSearch::resetGrid(grid);
    }

    MismatchSearch search(const QString& syncServer = QStringLiteral("embedded:HO"))
    {
        return MismatchSearch(servers.branch(), servers.headOffice(), reporter, syncServer, QStringLiteral("MAIN01"));
    }
    void locate(const QString& master, const QString& detail = {}, std::optional<qlonglong> costCentre = std::nullopt)
    {
        search().locate(grid, master, detail, day, costCentre);
    }
    void locateAll(std::optional<qlonglong> costCentre = std::nullopt)
    {
        for (const MismatchSearch::Table& table : MismatchSearch::searchedTables())
            search().locate(grid, table.master, table.detail, day, costCentre);
    }
    QStringList row(const QString& serial, const QString& number, const QString& date, const QString& type)
    {
        return {serial, number, date, type, ""};
    }
    const QStringList emptyRow = {"", "", "", "", ""};
};

} // namespace

TEST_F(MismatchSearchTest, MatchingDayKeepsOnlyTheEmptyRow)
{
    addInvoice(servers.branch(), 9001, "SI/900", day, 1);
    addInvoice(servers.headOffice(), 9001, "SI/900", day, 1);
    addJobCard(servers.branch(), 9002, "JC/900", day, 1, 1);
    addJobCard(servers.headOffice(), 9002, "JC/900", day, 1, 1);
    servers.branch().setCommandTimeout(7);
    locateAll();
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.rows[0], emptyRow);
    EXPECT_TRUE(reporter.balloons.empty());
    // The search reads without a limit, and the connections get their own limits back.
    EXPECT_EQ(servers.branch().commandTimeout(), 7);
    EXPECT_EQ(servers.headOffice().commandTimeout(), 30);
}

TEST_F(MismatchSearchTest, OneMissingInvoiceIsRowOneFollowedByAnEmptyRow)
{
    addInvoice(servers.branch(), 9001, "SI/900", day, 1);
    // Invoices not yet uploaded are never reported.
    addInvoice(servers.branch(), 9002, "SI/901", day, 1, 0);
    addInvoice(servers.branch(), 9003, "SI/902", day, 1, QVariant());
    locateAll();
    ASSERT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.rows[0], row("1", "SI/900", "2026-11-20", "1"));
    EXPECT_EQ(grid.rows[1], emptyRow);
    // The invoice family names its table once, whether or not it finds anything.
    EXPECT_EQ(std::count(reporter.statuses.begin(), reporter.statuses.end(), "TBLsALES"), 1);
    EXPECT_EQ(std::count(reporter.statuses.begin(), reporter.statuses.end(), "tblOrder"), 1);
    EXPECT_EQ(std::count(reporter.statuses.begin(), reporter.statuses.end(), "tblNotes"), 0);
}

TEST_F(MismatchSearchTest, SameNumberUnderAnotherVoucherTypeOrDateIsReportedPastANullNumber)
{
    addInvoice(servers.branch(), 9001, "SI/900", day, 1);
    addInvoice(servers.headOffice(), 9001, "SI/900", day, 101);
    addInvoice(servers.branch(), 9002, "SI/901", day, 1);
    addInvoice(servers.headOffice(), 9002, "SI/901", day.addDays(1), 1);
    addInvoice(servers.branch(), 9003, "SI/902", day.addDays(1), 1);
    // A NULL number at the head office does not hide the missing ones.
    servers.headOffice().execute("Alter table tblSales Alter Column InvNo varchar(30) NULL");
    servers.headOffice().execute("INSERT INTO tblSales (InvID, InvNo, InvDate, VchTypeID) VALUES (9100, NULL, '2026-11-20', 1)");
    locate("tblSales", "tblSalesItem");
    ASSERT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.rows[0], row("1", "SI/900", "2026-11-20", "1"));
    EXPECT_EQ(grid.rows[1], row("2", "SI/901", "2026-11-20", "1"));
}

TEST_F(MismatchSearchTest, TableNamesAreRecognisedInAnyLetterCase)
{
    addNote(servers.branch(), 9001, "RC/900", day, 1);
    addNote(servers.branch(), 9002, "RC/901", day, 1);
    addNote(servers.headOffice(), 9002, "RC/901", day, 1);
    addInvoice(servers.branch(), 9003, "SJ/900", day, 9, 1, 1, 1, "tblStockJournal");
    locate("tBlNoTeS");
    locate("TBLSTOCKJOURNAL", "TBLSTOCKJOURNALDETAIL");
    locate("tblPurchase", "tblPurchaseItem");
    ASSERT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.rows[0], row("1", "RC/900", "2026-11-20", "5"));
    EXPECT_EQ(grid.rows[1], row("2", "SJ/900", "2026-11-20", "9"));
    // The notes family names its table once per reported row.
    EXPECT_EQ(std::count(reporter.statuses.begin(), reporter.statuses.end(), "tBlNoTeS"), 1);
    EXPECT_TRUE(reporter.balloons.empty());
}

TEST_F(MismatchSearchTest, UnreachableHeadOfficeEndsTheTableAndMissingJobCardsHaveTheirOwnColumns)
{
    addInvoice(servers.branch(), 9001, "SI/900", day, 1);
    search("embedded:NOWHERE").locate(grid, "tblSales", "tblSalesItem", day, std::nullopt);
    ASSERT_EQ(grid.rowCount(), 1);
    ASSERT_EQ(reporter.balloons.size(), 1u);
    EXPECT_TRUE(reporter.balloons[0].contains("NOWHERE")) << reporter.balloons[0].toStdString();
    MismatchSearch::resetGrid(grid);
    addJobCard(servers.branch(), 9001, "JC/900", day, 1, 2);
    addJobCard(servers.branch(), 9002, "JC/901", day, 1, 2);
    addJobCard(servers.branch(), 9003, "JC/902", day, 0, 2);
    locate("tblJobCard", "tblJobCardDetail");
    ASSERT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.rows[0], row("1", "JC/900", "2026-11-20", "10"));
    EXPECT_EQ(grid.rows[1], row("2", "JC/901", "2026-11-20", "10"));
    EXPECT_EQ(std::count(reporter.statuses.begin(), reporter.statuses.end(), "tblJobCard"), 2);
}

TEST_F(MismatchSearchTest, ItemCountsAreComparedOnlyForTheChosenCostCentre)
{
    // Same invoice, fewer items on the branch: reported from the branch row.
    addInvoice(servers.headOffice(), 9001, "SI/900", day, 1, 1, 3, 2);
    addInvoice(servers.branch(), 9101, "SI/900", day, 1, 1, 2, 2);
    // Same counts: not reported.
    addInvoice(servers.headOffice(), 9002, "O'B/1", day, 1, 1, 2, 2);
    addInvoice(servers.branch(), 9102, "O'B/1", day, 1, 1, 2, 2);
    // Only at the head office: not reported.
    addInvoice(servers.headOffice(), 9003, "SI/903", day, 1, 1, 2, 2);
    // Another cost centre: not compared.
    addInvoice(servers.headOffice(), 9004, "SI/904", day, 1, 1, 4, 3);
    addInvoice(servers.branch(), 9104, "SI/904", day, 1, 1, 1, 3);
    // A job card with an extra line on the branch.
    addJobCard(servers.headOffice(), 9005, "JC/905", day, 1, 1, 2);
    addJobCard(servers.branch(), 9105, "JC/905", day, 1, 2, 2);

    locateAll();
    ASSERT_EQ(grid.rowCount(), 1) << "without a cost centre only missing transactions are listed";

    MismatchSearch::resetGrid(grid);
    reporter.clear();
    locateAll(2);
    EXPECT_TRUE(reporter.balloons.empty()) << reporter.balloons.front().toStdString();
    ASSERT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.rows[0], row("1", "SI/900", "2026-11-20", "1"));
    EXPECT_EQ(grid.rows[1], row("2", "JC/905", "2026-11-20", "10"));
    EXPECT_NE(std::find(reporter.progresses.begin(), reporter.progresses.end(), "SI/900 2026-11-20 "), reporter.progresses.end());
    EXPECT_NE(std::find(reporter.progresses.begin(), reporter.progresses.end(), "O'B/1 2026-11-20 "), reporter.progresses.end());
}
