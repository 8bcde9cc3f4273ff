// "Start Transform" through the real main window on the demo companies, as an operator uses it.
#include "app/PreviewWindow.h"
#include "app/TimerController.h"
#include "report/TextFile.h"
#include "ConnectedWindowFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace app;
using support::TempServers;

namespace {

class StartTransformTest : public ConnectedWindowFixture {
protected:
    void SetUp() override
    {
        servers.addVoucherMarks();
        connectCompanies();
    }

    static void choose(QComboBox* combo, qlonglong id) { combo->setCurrentIndex(combo->findData(id)); }
    static void select(QListWidget* list, qlonglong id)
    {
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->data(Qt::UserRole).toLongLong() == id)
                list->item(i)->setSelected(true);
    }
    QList<qlonglong> checkedIds() const
    {
        QList<qlonglong> all;
        for (int i = 0; i < window->lstSource()->count(); ++i)
            if (window->lstSource()->item(i)->checkState() == Qt::Checked)
                all << window->lstSource()->item(i)->data(Qt::UserRole).toLongLong();
        return all;
    }
    /// Lists the Counter Sales vouchers of the range, all checked.
    void listCounterSales()
    {
        choose(window->lstVchtypes(), 101);
        window->cmdShowTransactions()->click();
        ASSERT_GE(window->lstSource()->count(), 3);
    }
    qlonglong branchCount(const QString& sql) { return TempServers::scalar(servers.branch(), sql).toLongLong(); }

};

} // namespace

TEST_F(StartTransformTest, OperatorTransformsTheFilteredVouchersAndASecondPressCopiesNothing)
{
    // Two categories and one item class that Counter Sales of the range use most.
    const QString used = QStringLiteral(" from tblSalesItem s, tblSales h, tblItemMaster m where s.InvID=h.InvID and s.ItemID=m.ItemID and "
                                        "h.VchTypeID=101 and h.InvDate between '2026-12-02' and '2026-12-06' ");
    const QList<qlonglong> chosenCategories = {
        TempServers::scalar(servers.headOffice(), "select m.CategoryID" + used + "group by m.CategoryID order by count(*) desc, m.CategoryID limit 1").toLongLong(),
        TempServers::scalar(servers.headOffice(), "select m.CategoryID" + used + "group by m.CategoryID order by count(*) desc, m.CategoryID limit 1 offset 1").toLongLong()};
    const qlonglong chosenClass =
        TempServers::scalar(servers.headOffice(), "select m.ProductTypeID" + used + "group by m.ProductTypeID order by count(*) desc limit 1").toLongLong();
    for (const qlonglong category : chosenCategories)
        select(window->lstCategories(), category);
    select(window->itemClassList(), chosenClass);
    listCounterSales();
    // A required value checks a part of the list as SelectBills does.
    window->txtReduceTo()->setText(QString::number(window->txttotVal()->text().toDouble() / 2, 'f', 0));
    const QList<qlonglong> checked = checkedIds();
    ASSERT_FALSE(checked.isEmpty());
    ASSERT_LT(checked.size(), window->lstSource()->count());

    choose(window->cboVchtypeTotransform(), 102);
    window->cboTaxMode()->setCurrentIndex(window->cboTaxMode()->findText("GST"));
    window->txtPRateDiscount()->setText("10");
    window->txtSRateDiscount()->setText("5");
    window->txtMRPDiscount()->setText("2.5");
    const qlonglong largest = branchCount("select max(InvID) from tblSales");
    const qlonglong userLogRows = branchCount("select count(*) from tbluserlog");
    window->cmdStartDatamigration()->click();

    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(window->lblStatusMain()->text(), "MIgration Over");
    EXPECT_EQ(branchCount("select count(*) from tblSales where ServInvID is not null"), checked.size());
    EXPECT_EQ(branchCount("select count(*) from tbluserlog"), userLogRows + checked.size());
    const QString filter = QStringLiteral(" and m.CategoryID in (%1,%2) and m.ProductTypeID=%3").arg(chosenCategories[0]).arg(chosenCategories[1]).arg(chosenClass);
    for (const qlonglong sourceKey : checked) {
        const qlonglong key = branchCount(QStringLiteral("select InvID from tblSales where ServInvID=%1").arg(sourceKey));
        EXPECT_GT(key, largest);
        EXPECT_EQ(TempServers::rows(servers.branch(), QStringLiteral("select VchTypeID, TaxType, SyncStat from tblSales where InvID=%1").arg(key)), "102|GST|0");
        const std::vector<double> copied =
            TempServers::numbers(servers.branch(), QStringLiteral("select ItemID, Prate, rate, MRP from tblSalesItem where InvID=%1 order by SlNo").arg(key));
        const std::vector<double> wanted =
            TempServers::numbers(servers.headOffice(), QStringLiteral("select s.ItemID, cast(s.Prate*0.9 as numeric(18,2)), cast(s.rate*0.95 as numeric(18,2)), "
                                                                   "cast(s.MRP*0.975 as numeric(18,2)) from tblSalesItem s, tblItemMaster m "
                                                         "where s.ItemID=m.ItemID and s.InvID=%1%2 order by s.SlNo")
                                              .arg(sourceKey)
                                              .arg(filter));
        ASSERT_EQ(copied.size(), wanted.size()) << sourceKey;
        ASSERT_FALSE(copied.empty());
        for (size_t i = 0; i < copied.size(); ++i)
            EXPECT_NEAR(copied[i], wanted[i], 1e-6);
    }
    // One user-log row per copied voucher on each side, its text cut to the column's 100 characters.
    for (int i = 0; i < window->lstSource()->count(); ++i) {
        const QListWidgetItem* entry = window->lstSource()->item(i);
        const QString action =
            QStringLiteral("Transation No %1 transfered from MAIN01 to SUB01 in vchtype Wholesale Sales").arg(entry->text()).left(100).replace("'", "''");
        const QString rows = QStringLiteral("select count(*) from tbluserlog where Action='%1' and TypeofAction='New'").arg(action);
        const int expected = entry->checkState() == Qt::Checked ? 1 : 0;
        EXPECT_EQ(branchCount(rows), expected) << action.toStdString();
        EXPECT_EQ(TempServers::scalar(servers.headOffice(), rows).toInt(), expected) << action.toStdString();
    }

    // Pressed again: nothing is copied, and the window says why.
    window->cmdStartDatamigration()->click();
    EXPECT_EQ(branchCount("select count(*) from tblSales where ServInvID is not null"), checked.size());
    EXPECT_EQ(branchCount("select count(*) from tbluserlog"), userLogRows + checked.size());
    const QString why = checked.size() == 1
        ? QStringLiteral("not transferred: already transferred to SUB01 as InvID")
        : QStringLiteral("%1 vouchers not transferred: already transferred to SUB01 (see the log)").arg(checked.size());
    EXPECT_TRUE(window->noticeText()->text().contains(why)) << window->noticeText()->text().toStdString();
}

TEST_F(StartTransformTest, PressWhileAnotherOperationRunsOnlySaysSoAndNothingIsCopiedTwice)
{
    listCounterSales();
    choose(window->cboVchtypeTotransform(), 101);
    {
        Session::OperationScope busy(*session, "Show Trans");
        window->cmdStartDatamigration()->click();
        session->timer().tick();
    }
    // Only the press is answered with a box; the tick waits silently.
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "\"Show Trans\" is still running. Please press Start Transform again when it is over.");
    EXPECT_EQ(branchCount("select count(*) from tblSales where ServInvID is not null"), 0);
    EXPECT_EQ(session->runningOperation(), "");

    // A second press waits in the event queue until the first run lets the window handle events.
    prompter.shown.clear();
    QMetaObject::invokeMethod(window->cmdStartDatamigration(), &QPushButton::click, Qt::QueuedConnection);
    window->cmdStartDatamigration()->click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "\"Start Transform\" is still running. Please press Start Transform again when it is over.");
    EXPECT_EQ(branchCount("select count(*) from tblSales where ServInvID is not null"), window->lstSource()->count());

    // A tick then copies nothing again (it finds every voucher there), and leaves the activity summary it read in view.
    session->timer().tick();
    EXPECT_GT(report::TextFile::read(session->dailyLog().currentFile()).count("already transferred"), 0);
    EXPECT_EQ(branchCount("select count(*) from (select ServInvID from tblSales where ServInvID is not null group by ServInvID having count(*) > 1)"), 0);
    EXPECT_EQ(session->runningOperation(), "");
    EXPECT_GT(window->msgActivity()->rowCount(), 0);
}

TEST_F(StartTransformTest, PreviewCopiesNothingAndStartTransformThenGivesItsTotalsToTheCent)
{
    const qlonglong category = TempServers::scalar(servers.headOffice(), "select m.CategoryID from tblSalesItem s, tblItemMaster m where "
                                                                         "s.ItemID=m.ItemID group by m.CategoryID order by count(*) desc limit 1")
                                   .toLongLong();
    select(window->lstCategories(), category);
    listCounterSales();
    choose(window->cboVchtypeTotransform(), 102);
    window->cboTaxMode()->setCurrentIndex(window->cboTaxMode()->findText("VAT"));
    window->txtPRateDiscount()->setText("12.5");
    window->txtSRateDiscount()->setText("7.5");
    window->txtMRPDiscount()->setText("3.3");
    // One voucher is in the branch already.
    const QList<qlonglong> listed = checkedIds();
    for (int i = 1; i < window->lstSource()->count(); ++i)
        window->lstSource()->item(i)->setCheckState(Qt::Unchecked);
    window->cmdStartDatamigration()->click();
    for (int i = 1; i < window->lstSource()->count(); ++i)
        window->lstSource()->item(i)->setCheckState(Qt::Checked);

    const QString written = "select (select count(*) from tblSales) + (select count(*) from tblSalesItem) + (select count(*) from tbluserlog)";
    const qlonglong before = branchCount(written);
    window->cmdPreviewTransform()->click();
    ASSERT_NE(controller->previewWindow(), nullptr);
    EXPECT_TRUE(controller->previewWindow()->isVisible());
    const transform::Preview preview = controller->previewWindow()->preview();
    EXPECT_EQ(preview.refused, "");
    EXPECT_EQ(branchCount(written), before);
    EXPECT_EQ(preview.toCopy, listed.size() - 1);
    EXPECT_EQ(preview.alreadyTransferred, 1);
    EXPECT_EQ(preview.taxType, "VAT");
    EXPECT_EQ(preview.vchType, "Wholesale Sales");

    window->cmdStartDatamigration()->click();
    QStringList copiedKeys;
    for (const qlonglong key : listed.mid(1))
        copiedKeys << QString::number(key);
    const QString copies = "from tblSalesItem s, tblSales h where s.InvID=h.InvID and h.ServInvID in (" + copiedKeys.join(',') + ")";
    const auto cents = [](db::Connection& side, const QString& sql) { return QString::number(TempServers::scalar(side, sql).toDouble(), 'f', 2); };
    EXPECT_EQ(preview.branch.purchase.cents(), cents(servers.branch(), "select sum(s.Qty*s.Prate) " + copies));
    EXPECT_EQ(preview.branch.sales.cents(), cents(servers.branch(), "select sum(s.Qty*s.rate) " + copies));
    EXPECT_EQ(preview.branch.mrp.cents(), cents(servers.branch(), "select sum(s.Qty*s.MRP) " + copies));
    EXPECT_EQ(preview.items, branchCount("select count(*) " + copies));
    const QString atHeadOffice = "from tblSalesItem s where s.InvID in (" + copiedKeys.join(',') + ")";
    EXPECT_EQ(preview.items + preview.itemsLeftOut, TempServers::scalar(servers.headOffice(), "select count(*) " + atHeadOffice).toLongLong());
    EXPECT_GT(preview.itemsLeftOut, 0);
    EXPECT_EQ((preview.headOffice.sales + preview.leftOut.sales).cents(), cents(servers.headOffice(), "select sum(s.Qty*s.rate) " + atHeadOffice));
}
