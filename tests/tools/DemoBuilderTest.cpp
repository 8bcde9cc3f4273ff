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
