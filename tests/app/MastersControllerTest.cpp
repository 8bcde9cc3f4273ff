// The master synchronisation page driven through the real main window on demo servers.
#include "app/MainWindow.h"
#include "app/MastersController.h"
#include "app/Session.h"

#include "ScriptedPrompter.h"
#include "TempServers.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace app;
using support::TempServers;

namespace {
class MastersControllerTest : public ::testing::Test {
protected:
    TempServers servers;
    support::ScriptedPrompter prompter;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Session> session;

    void SetUp() override
    {
        window = std::make_unique<MainWindow>(servers.folder());
        Session::Options options;
        options.prompter = &prompter;
        options.endProgram = [] {};
        session = std::make_unique<Session>(*window, options);
        ASSERT_TRUE(session->startUp());
        session->connectCompanies();
        ASSERT_TRUE(prompter.shown.empty()) << prompter.shown[0].text.toStdString();
    }
    void TearDown() override
    {
        session.reset();
        window.reset();
    }
    QString rows(db::Connection& c, const QString& sql) { return TempServers::rows(c, sql); }
    QTableWidget& grid() { return *window->msgDataCount(); }
};
} // namespace

TEST_F(MastersControllerTest, BulkMasterSynchronisationLeavesTenEqualCountsAndNoRed)
{
    // The list button shows the list with every row selected; a right click copies the current
    // row's state to every row.
    QListWidget& list = *window->lstMasterSettings();
    const bool hiddenBefore = list.isHidden();
    window->cmdMasterSynchDetail()->click();
    EXPECT_EQ(list.count(), 18);
    EXPECT_EQ(list.isHidden(), !hiddenBefore);
    EXPECT_EQ(list.selectedItems().size(), 18);

    list.setCurrentRow(2, QItemSelectionModel::NoUpdate);
    list.item(2)->setSelected(false);
    list.show();
    QTest::mouseClick(list.viewport(), Qt::RightButton, {}, list.visualItemRect(list.item(0)).center());
    EXPECT_EQ(list.selectedItems().size(), 0);
    EXPECT_TRUE(prompter.shown.empty());

    // The step-one page shows the differences of the older branch first.
    window->mainPages()->setCurrentIndex(MainWindow::StepOnePage);
    ASSERT_EQ(grid().rowCount(), 11);
    int red = 0;
    for (int r = 0; r < 10; ++r)
        red += grid().item(r, 0)->background().color() == QColor(255, 0, 0) ? 1 : 0;
    EXPECT_GT(red, 0);
    window->chkBulkInsert()->setChecked(true);
    window->cmdFullSync()->click();

    EXPECT_TRUE(window->cmdFullSync()->isEnabled());
    ASSERT_EQ(grid().rowCount(), 11);
    for (int r = 0; r < 10; ++r) {
        EXPECT_EQ(grid().item(r, 1)->text(), grid().item(r, 2)->text()) << r;
        EXPECT_NE(grid().item(r, 0)->background().color(), QColor(255, 0, 0)) << r;
    }
    EXPECT_EQ(grid().item(10, 0)->text(), "Onlinedata");
    EXPECT_EQ(window->lblStatusMain()->text(), "Upoading Over");
    EXPECT_EQ(window->lblStatus()->text(), ".....");
    EXPECT_EQ(window->lstMasterSettings()->count(), 18);
}

TEST_F(MastersControllerTest, GuardSkipsOrCopiesAnEmptiedHeadOfficeTableAsAnswered)
{
    const QString items = "select count(*) from tblItemMaster";
    const QString ledgers = "select count(*) from tblLedger";
    const qint64 branchItems = TempServers::scalar(servers.branch(), items).toLongLong();
    const qint64 branchLedgers = TempServers::scalar(servers.branch(), ledgers).toLongLong();
    ASSERT_GT(branchItems, 0);
    ASSERT_GT(branchLedgers, 4);
    servers.headOffice().execute("delete from tblItemMaster");
    // Fewer than half of the branch's ledgers is guarded too.
    servers.headOffice().execute(QStringLiteral("delete from tblLedger where LID not in (select top %1 LID from tblLedger order by LID)")
                                     .arg(branchLedgers / 2 - 1));
    const QString units = "select UnitID, UnitName from tblUnit order by 1";
    servers.headOffice().execute("insert into tblUnit (UnitID, UnitName) values (9001, 'Crate')");

    prompter.script(report::PromptAnswer::No);
    window->cmdFullSync()->click();

    ASSERT_EQ(prompter.shown.size(), 1u);
    const report::Prompt& asked = prompter.shown[0];
    EXPECT_EQ(asked.defaultAnswer, report::PromptAnswer::No);
    EXPECT_TRUE(asked.text.contains(QStringLiteral("tblItemMaster: head office 0 rows, this branch %1 rows").arg(branchItems)))
        << asked.text.toStdString();
    EXPECT_TRUE(asked.text.contains(QStringLiteral("tblLedger: head office %1 rows").arg(branchLedgers / 2 - 1)));
    EXPECT_EQ(TempServers::scalar(servers.branch(), items).toLongLong(), branchItems);
    EXPECT_EQ(TempServers::scalar(servers.branch(), ledgers).toLongLong(), branchLedgers);
    EXPECT_EQ(rows(servers.branch(), units), rows(servers.headOffice(), units));
    ASSERT_EQ(grid().rowCount(), 13);
    EXPECT_EQ(grid().item(11, 0)->text(), "Skipped tblLedger");
    EXPECT_EQ(grid().item(12, 0)->text(), "Skipped tblItemMaster");
    EXPECT_EQ(grid().item(12, 1)->text(), QString::number(branchItems));
    EXPECT_EQ(grid().item(12, 2)->text(), "0");

    // Copying anyway is the plain refresh: the branch's items go with the head office's.
    prompter.script(report::PromptAnswer::Yes);
    window->cmdFullSync()->click();
    EXPECT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(TempServers::scalar(servers.branch(), items).toLongLong(), 0);
    EXPECT_EQ(TempServers::scalar(servers.branch(), ledgers).toLongLong(), branchLedgers / 2 - 1);
    EXPECT_EQ(grid().rowCount(), 11);
}
