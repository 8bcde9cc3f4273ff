#include "TempServers.h"

#include "tools/demo/DemoBuilder.h"

#include <gtest/gtest.h>

#include <stdexcept>

using tools::DemoBuilder;
using support::TempServers;

namespace {

// The same data, told apart by what a checksum of the main tables gives.
QString checksum(db::Connection& connection)
{
    return TempServers::rows(connection, QStringLiteral("select count(*), sum(BillAmt), sum(LID), min(Party), max(InvNo) from tblSales")) +
           TempServers::rows(connection, QStringLiteral("select count(*), sum(Qty), sum(rate), sum(ItemID) from tblSalesItem")) +
           TempServers::rows(connection, QStringLiteral("select count(*), sum(BillAmt), max(Party) from tblPurchase")) +
           TempServers::rows(connection, QStringLiteral("select count(*), sum(SRate), max(ItemName), sum(ProductTypeID) from tblItemMaster")) +
           TempServers::rows(connection, QStringLiteral("select count(*), max(LName), min(LName) from tblLedger"));
}

} // namespace

// The demo a test builds once: schema, keys, companies, volumes and settings files.
class DemoBuilderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { demo = new TempServers(); }
    static void TearDownTestSuite()
    {
        delete demo;
        demo = nullptr;
    }
    static TempServers* demo;
};

TempServers* DemoBuilderTest::demo = nullptr;

TEST_F(DemoBuilderTest, HeadOfficeHoldsVouchersOfBothFamiliesWithOneToEightItems)
{
    db::Connection& head = demo->headOffice();
    const tools::DemoSize size = tools::DemoSize::small();
    EXPECT_EQ(TempServers::scalar(head, QStringLiteral("select count(*) from tblSales")).toInt(), size.salesVouchers);
    EXPECT_EQ(TempServers::scalar(head, QStringLiteral("select count(*) from tblPurchase")).toInt(), size.purchaseVouchers);
    EXPECT_EQ(TempServers::scalar(head, QStringLiteral("select count(*) from (select InvID from tblSalesItem group by InvID "
                                                       "having count(*) between 1 and 8) v")).toInt(), size.salesVouchers);
    EXPECT_EQ(TempServers::scalar(head, QStringLiteral("select count(*) from tblSales where InvID not in (select InvID from tblSalesItem)")).toInt(), 0);
    // Every sales voucher is of a sales type, every purchase of a purchase type.
    EXPECT_EQ(TempServers::scalar(head, QStringLiteral("select count(*) from tblSales s inner join tblVchType v on v.VchTypeID = s.VchTypeID "
                                                       "where v.ParentID in (1, 3, 12, 18, 44)")).toInt(), size.salesVouchers);
    EXPECT_EQ(TempServers::scalar(head, QStringLiteral("select count(*) from tblPurchase p inner join tblVchType v on v.VchTypeID = p.VchTypeID "
                                                       "where v.ParentID in (2, 4)")).toInt(), size.purchaseVouchers);
    EXPECT_EQ(TempServers::rows(head, QStringLiteral("select distinct ParentID from tblVchType where ParentID in (1, 2, 3, 4, 12, 18, 44) order by ParentID"))
                  .toStdString(), "1\n2\n3\n4\n12\n18\n44");
    EXPECT_EQ(TempServers::rows(head, QStringLiteral("select distinct ProductTypeID from tblItemMaster order by ProductTypeID")).toStdString(),
              "0\n1\n2\n3\n4\n5\n6\n7\n8\n9");
    // The listing reads a bill's amount from the last eight characters of its text.
    EXPECT_EQ(TempServers::scalar(head, QStringLiteral("select count(*) from tblSales where BillAmt >= 99999.99 or BillAmt <= 0")).toInt(), 0);
    EXPECT_GT(TempServers::scalar(head, QStringLiteral("select count(*) from tblNotes")).toInt(), 0);
    EXPECT_GT(TempServers::scalar(head, QStringLiteral("select count(*) from tblOrderItem")).toInt(), 0);
    EXPECT_GT(TempServers::scalar(head, QStringLiteral("select count(*) from tblStockJournalDetail")).toInt(), 0);
    EXPECT_GT(TempServers::scalar(head, QStringLiteral("select count(*) from tblJobCardDetail")).toInt(), 0);
    EXPECT_EQ(TempServers::scalar(head, QStringLiteral("select count(*) from tblSettings")).toInt(), 1);
}

TEST_F(DemoBuilderTest, BranchHasAnOlderSmallerCopyOfTheMastersAndTheSameVoucherTypes)
{
    db::Connection& head = demo->headOffice();
    db::Connection& branch = demo->branch();
    EXPECT_LT(TempServers::scalar(branch, QStringLiteral("select count(*) from tblItemMaster")).toInt(),
              TempServers::scalar(head, QStringLiteral("select count(*) from tblItemMaster")).toInt());
    EXPECT_LT(TempServers::scalar(branch, QStringLiteral("select count(*) from tblCategories")).toInt(),
              TempServers::scalar(head, QStringLiteral("select count(*) from tblCategories")).toInt());
    EXPECT_NE(TempServers::rows(branch, QStringLiteral("select SRate from tblItemMaster where ItemID = 1")),
              TempServers::rows(head, QStringLiteral("select SRate from tblItemMaster where ItemID = 1")));
    // A ledger made at the branch that the head office does not have.
    EXPECT_EQ(TempServers::rows(branch, QStringLiteral("select LName from tblLedger where LID = 9001")).toStdString(), "Branch Walk-in Customer");
    EXPECT_EQ(TempServers::scalar(head, QStringLiteral("select count(*) from tblLedger where LID = 9001")).toInt(), 0);
    const QString vchTypes = QStringLiteral("select VchTypeID, VchType, ParentID, ActiveStatus from tblVchType order by VchTypeID");
    EXPECT_EQ(TempServers::rows(branch, vchTypes), TempServers::rows(head, vchTypes));
    EXPECT_EQ(TempServers::scalar(branch, QStringLiteral("select count(*) from tblSales")).toInt(), tools::DemoSize::small().branchVouchers);
    EXPECT_EQ(TempServers::scalar(branch, QStringLiteral("select count(*) from tblActivity")).toInt(), 0);
}

// Seeds, replacing and refusing: each case builds demos of its own.
TEST(DemoBuilderSeedTest, SameSeedGivesSameDataAndAnotherSeedOtherData)
{
    const QDate today(2026, 3, 15);
    TempServers first(11, today);
    TempServers second(11, today);
    TempServers other(12, today);
    const QString head = checksum(first.headOffice());
    EXPECT_EQ(head, checksum(second.headOffice()));
    EXPECT_EQ(checksum(first.branch()), checksum(second.branch()));
    EXPECT_NE(head, checksum(other.headOffice()));
    EXPECT_LE(TempServers::rows(first.headOffice(), QStringLiteral("select max(InvDate) from tblSales")).left(10).toStdString(), "2026-03-15");
}

TEST(DemoBuilderReplaceTest, RefusesExistingServersUnlessAskedToReplaceThem)
{
    TempServers demo;
    demo.headOffice().execute(QStringLiteral("insert into tblArea (AreaID, Area) values (700, 'Kept')"));
    tools::DemoOptions options;
    options.size = tools::DemoSize::small();
    try {
        DemoBuilder(demo.folder(), options).build();
        FAIL() << "existing servers were replaced without being asked";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("already exists; use --force to replace it."), std::string::npos) << e.what();
    }
    EXPECT_EQ(TempServers::scalar(demo.headOffice(), QStringLiteral("select count(*) from tblArea where AreaID = 700")).toInt(), 1);

    demo.headOffice().close();
    demo.branch().close();
    options.replaceExisting = true;
    EXPECT_NO_THROW(DemoBuilder(demo.folder(), options).build());
    auto head = demo.open(DemoBuilder::headOfficeDataSource(), DemoBuilder::mainCompany());
    EXPECT_EQ(TempServers::scalar(*head, QStringLiteral("select count(*) from tblArea where AreaID = 700")).toInt(), 0);
    EXPECT_EQ(TempServers::scalar(*head, QStringLiteral("select count(*) from tblSales")).toInt(), tools::DemoSize::small().salesVouchers);
}
