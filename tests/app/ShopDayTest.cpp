// A shop day through the whole real window, wired as the program wires it, on demo servers: the
// operator's presses and the sync timer's ticks, each checked against the databases and files.
#include "app/MainWindow.h"
#include "app/PreviewWindow.h"
#include "app/Session.h"
#include "app/TimerController.h"
#include "app/TransformController.h"
#include "db/embedded/EmbeddedServer.h"
#include "report/TextFile.h"
#include "tools/demo/DemoBuilder.h"
#include "upload/Connectivity.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTest>
#include <gtest/gtest.h>

using namespace app;
using support::TempServers;

namespace {

class AlwaysConnected : public upload::Connectivity {
public:
    bool isWebConnected() override { return true; }
};

class ShopDayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<MainWindow>(servers.folder());
        Session::Options options;
        options.prompter = &prompter;
        options.endProgram = [] {};
        options.clock = [] { return QDateTime(QDate(2026, 12, 6), QTime(10, 30)); };
        options.connectivity = &network;
        session = std::make_unique<Session>(*window, options);
        timer = &session->timer();
        window->show();
        ASSERT_TRUE(session->startUp());
        window->cmdConnect()->click();
        ASSERT_FALSE(window->isLoginShown());
        if (branchPrepared)
            servers.addVoucherMarks();
        window->dtpdate()->setDate(QDate(2026, 12, 2));
        window->dtpto()->setDate(QDate(2026, 12, 6));
        prompter.shown.clear();
    }

    static void choose(QComboBox* combo, qlonglong id)
    {
        const int at = combo->findData(id);
        ASSERT_GE(at, 0) << id;
        combo->setCurrentIndex(at);
    }
    /// Show Trans for `vchType`, every listed voucher checked.
    void list(qlonglong vchType)
    {
        choose(window->lstVchtypes(), vchType);
        window->cmdShowTransactions()->click();
        ASSERT_GE(window->lstSource()->count(), 3);
        // The demo's masters differ, which Show Trans points out in a box.
        prompter.shown.clear();
    }
    /// Runs `sql` on the branch database as SQLite itself reads it (for faults the ERP could cause).
    void onBranchFile(const QString& sql)
    {
        using db::embedded::EmbeddedServer;
        EmbeddedServer(EmbeddedServer::folderFor(tools::DemoBuilder::branchDataSource(), servers.folder()))
            .executeNative(tools::DemoBuilder::branchCompany(), sql);
    }
    /// Brings "Sub Company Settings" to the front anew: the destination types narrow to the family
    /// of the chosen source type, which becomes the destination type.
    void showSubCompanyPage()
    {
        window->mainPages()->setCurrentIndex(MainWindow::MainCompanyPage);
        window->mainPages()->setCurrentIndex(MainWindow::SubCompanyPage);
    }
    QString branchVouchers()
    {
        return TempServers::rows(servers.branch(), "select InvID, VchtypeID, ServInvID from tblSales union all "
                                                   "select InvID, VchtypeID, ServInvID from tblPurchase order by 1, 2");
    }
    qlonglong branchCount(const QString& sql) { return TempServers::scalar(servers.branch(), sql).toLongLong(); }
    QString dailyLog() const { return report::TextFile::read(session->dailyLog().currentFile()); }
    QString lastBox() const { return prompter.shown.empty() ? QString() : prompter.shown.back().text; }

    TempServers servers{7, QDate(2026, 12, 6)};
    support::ScriptedPrompter prompter;
    AlwaysConnected network;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Session> session;
    TimerController* timer = nullptr;
    bool branchPrepared = true;
};

// A branch new to the program: Update Database has never added the columns that mark a copy.
class NewBranchTest : public ShopDayTest {
protected:
    NewBranchTest() { branchPrepared = false; }
};

} // namespace

TEST_F(ShopDayTest, OnlyTheListedVouchersAreCopiedWhateverIsChosenAfterTheListing)
{
    // Purchases listed, then Sales chosen without a new listing: sales vouchers share the keys.
    list(201);
    choose(window->lstVchtypes(), 101);
    showSubCompanyPage();
    ASSERT_EQ(window->cboVchtypeTotransform()->currentData().toLongLong(), 101);
    const QString before = branchVouchers();

    window->cmdStartDatamigration()->click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(lastBox().contains("Local Purchase") && lastBox().contains("Show Trans")) << lastBox().toStdString();

    // The timer, with nobody at the machine, copies nothing either, and says so once.
    timer->tick();
    const qsizetype said = dailyLog().count("The list was made for Local Purchase vouchers");
    timer->tick();
    timer->tick();
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(branchVouchers(), before);
    EXPECT_GT(said, 0);
    EXPECT_EQ(dailyLog().count("The list was made for Local Purchase vouchers"), said);

    // Listed again: the purchases the list names are copied, except one that head office has
    // since moved to another voucher type, which is named instead of being copied.
    list(201);
    showSubCompanyPage();
    const qlonglong moved = window->lstSource()->item(1)->data(Qt::UserRole).toLongLong();
    servers.headOffice().execute(QStringLiteral("update tblPurchase set VchtypeID=202 where InvID=%1").arg(moved));
    window->cmdStartDatamigration()->click();
    const int listed = window->lstSource()->count();
    EXPECT_EQ(branchCount("select count(*) from tblPurchase where ServInvID is not null"), listed - 1);
    EXPECT_EQ(branchCount(QStringLiteral("select count(*) from tblPurchase where ServInvID=%1").arg(moved)), 0);
    EXPECT_EQ(branchCount("select count(*) from tblSales where ServInvID is not null"), 0);
    EXPECT_TRUE(dailyLog().contains(QStringLiteral("InvID %1 in MAIN01 is of voucher type 202, not Local Purchase").arg(moved)));
    EXPECT_TRUE(prompter.shown.empty());

    // The Transfers page shows the copies and the voucher left behind; it only reads, and neither
    // starts the timer nor searches.
    window->timertrigger()->stop();
    window->lowerPages()->setCurrentIndex(MainWindow::TransfersPage);
    EXPECT_EQ(window->msgTransfers()->rowCount(), listed - 1);
    ASSERT_EQ(window->msgSetAside()->rowCount(), 1);
    EXPECT_TRUE(window->msgSetAside()->item(0, 2)->text().contains("not Local Purchase"));
    EXPECT_FALSE(window->timertrigger()->isActive());
    EXPECT_EQ(window->msgMisMatch()->rowCount(), 0);
    EXPECT_EQ(branchCount("select count(*) from tblPurchase where ServInvID is not null"), listed - 1);
}

TEST_F(ShopDayTest, TimerRunsUnattendedKeepsTheActivityInViewAndKeepsTheLogShort)
{
    list(101);
    showSubCompanyPage();
    window->cmdStartDatamigration()->click();
    const qlonglong copied = branchCount("select count(*) from tblSales where ServInvID is not null");
    ASSERT_GT(copied, 0);
    // Head office works on, and the operator leaves a sales type listed while the destination is a purchase type.
    servers.headOffice().execute("update tblLedger set CreditDays=CreditDays+1 where LID=(select min(LID) from tblLedger)");
    choose(window->lstVchtypes(), 201);
    showSubCompanyPage();
    choose(window->lstVchtypes(), 101);
    prompter.shown.clear();

    timer->tick();
    EXPECT_GT(window->msgActivity()->rowCount(), 1) << "the summary of the tick stays in view";
    const qsizetype afterFirst = dailyLog().size();
    const qsizetype said = dailyLog().count("Sorry you can't migrate Counter Sales to Local Purchase");
    timer->tick();
    const qsizetype idleTick = dailyLog().size() - afterFirst;
    timer->tick();

    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_GT(said, 0);
    EXPECT_EQ(dailyLog().count("Sorry you can't migrate Counter Sales to Local Purchase"), said);
    EXPECT_EQ(window->notices().size() > 0 ? window->notices().last().text : QString(), "Sorry you can't migrate Counter Sales to Local Purchase");
    EXPECT_EQ(branchCount("select count(*) from tblSales where ServInvID is not null"), copied);

    // Back to a sales destination: each voucher already there is logged once for the list, not on every tick.
    showSubCompanyPage();
    timer->tick();
    const qsizetype before = dailyLog().count("already transferred");
    timer->tick();
    EXPECT_EQ(dailyLog().count("already transferred"), before);
    EXPECT_LT(idleTick, 2500);
}

TEST_F(ShopDayTest, BadPercentageIsRefusedAndAFailedPressLeavesANoticeUntilOneSucceeds)
{
    list(101);
    showSubCompanyPage();
    window->txtSRateDiscount()->setText("7,5");
    window->cmdStartDatamigration()->click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(lastBox().contains("SRate Discount%:") && lastBox().contains("\"7,5\"")) << lastBox().toStdString();
    EXPECT_EQ(window->txtSRateDiscount()->text(), "7,5");
    EXPECT_EQ(branchCount("select count(*) from tblSales where ServInvID is not null"), 0);
    // Preview refuses it with the same box.
    window->cmdPreviewTransform()->click();
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[1].text, prompter.shown[0].text);

    // Corrected, a press the branch refuses leaves a notice; the next press, succeeding, copies and
    // takes the notice away (StartTransformTest checks the reductions typed reach the rates).
    window->txtSRateDiscount()->setText("7.5");
    onBranchFile("create trigger refuse before insert on tblSales begin select raise(abort, 'refused by the branch'); end");
    window->cmdStartDatamigration()->click();
    ASSERT_FALSE(window->noticeStrip()->isHidden());
    onBranchFile("drop trigger refuse");
    window->cmdStartDatamigration()->click();
    EXPECT_TRUE(window->noticeStrip()->isHidden());
    EXPECT_EQ(branchCount("select count(*) from tblSales where ServInvID is not null"), window->lstSource()->count());
}

TEST_F(NewBranchTest, FirstStartTransformSaysToRunUpdateDatabaseAndThenCopiesTheList)
{
    list(101);
    const int listed = window->lstSource()->count();
    const qlonglong sales = branchCount("select count(*) from tblSales");
    window->cmdPreviewTransform()->click();
    EXPECT_TRUE(session->transform().previewWindow()->preview().refused.contains("Run Update Database once"));
    // The mismatch search needs the same columns and says the same.
    window->lowerPages()->setCurrentIndex(MainWindow::MismatchPage);
    ASSERT_FALSE(window->notices().isEmpty());
    EXPECT_TRUE(window->notices().back().text.contains("Run Update Database once")) << window->notices().back().text.toStdString();
    window->cmdStartDatamigration()->click();
    EXPECT_EQ(branchCount("select count(*) from tblSales"), sales);
    ASSERT_FALSE(window->notices().isEmpty());
    EXPECT_TRUE(window->notices().back().text.contains("Run Update Database once")) << window->notices().back().text.toStdString();

    // The Insert key opens the Tech Control Panel, where Update Database prepares both companies.
    QTest::keyClick(window->lstSource(), Qt::Key_Insert);
    window->cmdUpdateDataBase()->click();
    window->cmdStartDatamigration()->click();
    EXPECT_EQ(branchCount("select count(*) from tblSales where ServInvID is not null"), listed);
}
