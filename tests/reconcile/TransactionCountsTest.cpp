// The per-day transaction counts of both companies (FillTransCount): rows, "Yes"/"No", red cells, failures.
#include "ReconcileFixture.h"
#include "VectorControls.h"
#include "reconcile/TransactionCounts.h"

using reconcile::TransactionCounts;
using namespace reconcile_test;

namespace {

class TransactionCountsTest : public ReconcileFixture {
protected:
    support::VectorGridControl grid;
    support::VectorListControl voucherTypes;

    void SetUp() override
    {
        ReconcileFixture::SetUp();
        voucherTypes.addItem(QStringLiteral("Sales"), 1);
        voucherTypes.addItem(QStringLiteral("Counter Sales"), 101);
        voucherTypes.setCurrentIndex(0);
    }

    void fill()
    {
        const std::optional<long long> vchType =
            voucherTypes.currentIndex() < 0 ? std::nullopt : std::optional(voucherTypes.itemData(voucherTypes.currentIndex()));
        TransactionCounts::show(TransactionCounts(servers.branch(), servers.headOffice(), reporter).count(vchType, day), grid);
    }

    int rowOf(const QString& label) const
    {
        for (int r = 0; r < grid.rowCount(); ++r)
            if (grid.cell(r, 0) == label)
                return r;
        return -1;
    }
};

const QStringList labels = {"StockJournalDetail", "StockJournal", "SalesItem", "Sales", "Receipt", "OrderItem", "Order", "JobCardDetail", "JobCard"};

} // namespace

TEST_F(TransactionCountsTest, EmptyDayGivesZerosAndAnExtraLocalInvoiceMarksSalesAndSalesItemRed)
{
    fill();
    ASSERT_EQ(grid.rowCount(), 10);
    for (int r = 0; r < 9; ++r) {
        EXPECT_EQ(grid.rows[r], QStringList({labels[r], "0", "0", "No", ""})) << r;
        EXPECT_EQ(grid.cellBackground(r, 0), report::CellColour::Plain) << r;
    }
    EXPECT_EQ(grid.rows[9], QStringList({"Onlinedata", "", "", "", ""}));
    EXPECT_TRUE(reporter.balloons.empty());
    addInvoice(servers.branch(), 9001, "SI/900", day, 1, 1, 2);
    addInvoice(servers.headOffice(), 9001, "SI/900", day, 1, 1, 2);
    addInvoice(servers.branch(), 9002, "SI/901", day, 1, 1, 3);
    fill();
    ASSERT_EQ(grid.rowCount(), 10);
    EXPECT_EQ(grid.rows[rowOf("Sales")], QStringList({"Sales", "2", "1", "Yes", ""}));
    EXPECT_EQ(grid.rows[rowOf("SalesItem")], QStringList({"SalesItem", "5", "2", "Yes", ""}));
    EXPECT_EQ(grid.cellBackground(rowOf("Sales"), 0), report::CellColour::Red);
    EXPECT_EQ(grid.cellBackground(rowOf("SalesItem"), 0), report::CellColour::Red);
    EXPECT_EQ(grid.cellBackground(rowOf("Sales"), 1), report::CellColour::Plain);
    for (const QString other : {"StockJournalDetail", "StockJournal", "Receipt", "OrderItem", "Order", "JobCardDetail", "JobCard"}) {
        EXPECT_EQ(grid.cell(rowOf(other), 3), "No") << other.toStdString();
        EXPECT_EQ(grid.cellBackground(rowOf(other), 0), report::CellColour::Plain) << other.toStdString();
    }
}

TEST_F(TransactionCountsTest, VoucherClauseLimitsEveryTableToTheChosenType)
{
    // A counter sale, an order and a job card of the day, all on the branch only.
    addInvoice(servers.branch(), 9001, "CS/900", day, 101, 1, 2);
    addInvoice(servers.branch(), 9002, "SO/900", day, 11, 1, 2, 1, "tblOrder");
    addJobCard(servers.branch(), 9003, "JC/900", day, 1, 2);
    fill();
    for (int r = 0; r < 9; ++r)
        EXPECT_EQ(grid.cell(r, 3), "No") << grid.cell(r, 0).toStdString();

    voucherTypes.setCurrentIndex(1);
    fill();
    EXPECT_EQ(grid.rows[rowOf("Sales")], QStringList({"Sales", "1", "0", "Yes", ""}));
    EXPECT_EQ(grid.cell(rowOf("SalesItem"), 1), "2");
    EXPECT_EQ(grid.cell(rowOf("Order"), 1), "0");
    EXPECT_EQ(grid.cell(rowOf("JobCard"), 1), "0");
}

TEST_F(TransactionCountsTest, NoVoucherTypeCountsNothingAndAFailingOnlineQueryKeepsTheLocalRows)
{
    grid.reset("old");
    grid.addRow("kept\t1");
    voucherTypes.setCurrentIndex(-1);
    fill();
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.cell(0, 0), "kept");
    ASSERT_EQ(reporter.balloons.size(), 1u);
    EXPECT_EQ(reporter.balloons[0], "No voucher type is chosen in VchTypes To Transform.");
    voucherTypes.setCurrentIndex(0);
    servers.headOffice().close();
    fill();
    ASSERT_EQ(grid.rowCount(), 10);
    EXPECT_EQ(grid.rows[3], QStringList({"Sales", "0", "", "", ""}));
    EXPECT_EQ(grid.cell(9, 0), "Onlinedata");
    EXPECT_EQ(reporter.balloons.size(), 2u);
}

