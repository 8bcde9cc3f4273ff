// The lower tab strip through the real main window on demo servers: "Voucher Det" counts,
// "Mismatch" search with the timer and the tab strip, the cost-centre drop-down.
#include "ReconcileFixture.h"
#include "app/MainWindow.h"
#include "app/ReconcileController.h"
#include "app/Session.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

using namespace app;
using namespace reconcile_test;

namespace {

class ReconcileControllerTest : public ReconcileFixture {
protected:
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Session> session;
    ReconcileController* controller = nullptr;

    void SetUp() override
    {
        ReconcileFixture::SetUp();
        window = std::make_unique<MainWindow>(servers.folder());
        Session::Options options;
        options.prompter = &prompter;
        options.endProgram = [] {};
        options.clock = [] { return QDateTime(demoToday, QTime(10, 30)); };
        session = std::make_unique<Session>(*window, options);
        controller = &session->reconcile();
        ASSERT_TRUE(session->startUp());
        window->cmdConnect()->click();
        ASSERT_TRUE(session->connections().destination().isOpen());
        if (window->lstVchtypes()->findData(1) < 0)
            window->lstVchtypes()->addItem("Sales", 1);
        window->lstVchtypes()->setCurrentIndex(window->lstVchtypes()->findData(1));
        window->dtpdate()->setDate(day);
    }

    QString cell(QTableWidget* grid, int row, int column)
    {
        QTableWidgetItem* item = grid->item(row, column);
        return item ? item->text() : QString();
    }
};

} // namespace

TEST_F(ReconcileControllerTest, ConnectFillsTheCostCentresAndVoucherDetFillsItsGrid)
{
    // The "Voucher Det" page fills its count grid (the counts are TransactionCountsTest's)
    // without starting the timer.
    addInvoice(servers.branch(), 9001, "SI/900", day, 1, 1, 2);
    window->lowerPages()->setCurrentIndex(MainWindow::ActivityPage);
    window->lowerPages()->setCurrentIndex(MainWindow::VoucherDetPage);
    ASSERT_EQ(window->msgTransGrid()->rowCount(), 10);
    EXPECT_EQ(cell(window->msgTransGrid(), 3, 3), "Yes");
    EXPECT_FALSE(window->timertrigger()->isActive());

    QComboBox* centres = window->cboCostCentre();
    ASSERT_EQ(centres->count(), 6);
    EXPECT_EQ(centres->itemText(0), "<None>");
    EXPECT_EQ(centres->currentIndex(), 0);
    EXPECT_FALSE(controller->chosenCostCentre().has_value());
    // Sorted by name: "Billing Counter" is CCID 2.
    EXPECT_EQ(centres->itemText(1), "Billing Counter");
    centres->setCurrentIndex(1);
    EXPECT_EQ(controller->chosenCostCentre(), 2);

    // A new cost centre on the branch appears at the next Connect; the choice stays.
    servers.branch().execute("INSERT INTO tblCostcentre (CCID, CCName) VALUES (9, 'Annex')");
    window->cmdConnect()->click();
    EXPECT_EQ(centres->count(), 7);
    EXPECT_EQ(centres->itemText(1), "Annex");
    EXPECT_EQ(controller->chosenCostCentre(), 2);
}

TEST_F(ReconcileControllerTest, MismatchPageSearchesWithTheTabsDisabledAndStartsTheTimer)
{
    addInvoice(servers.branch(), 9001, "SI/900", day, 1);
    window->msgMisMatch()->setRowCount(5);
    EXPECT_FALSE(window->timertrigger()->isActive());

    // What the window looks like while rows are being written.
    bool tabsEnabledDuringSearch = true;
    bool timerActiveDuringSearch = true;
    QObject::connect(window->msgMisMatch()->model(), &QAbstractItemModel::dataChanged, [&] {
        tabsEnabledDuringSearch = window->lowerPages()->isEnabled();
        timerActiveDuringSearch = window->timertrigger()->isActive();
    });

    window->lowerPages()->setCurrentIndex(MainWindow::MismatchPage);
    EXPECT_FALSE(tabsEnabledDuringSearch);
    EXPECT_FALSE(timerActiveDuringSearch);
    EXPECT_TRUE(window->timertrigger()->isActive());
    EXPECT_TRUE(window->lowerPages()->isEnabled());
    EXPECT_EQ(window->lblStatus()->text(), "Checking Ended");
    ASSERT_EQ(window->msgMisMatch()->rowCount(), 2);
    EXPECT_EQ(cell(window->msgMisMatch(), 0, 1), "SI/900");
}

TEST_F(ReconcileControllerTest, ChosenCostCentreAddsTheItemCountComparison)
{
    addInvoice(servers.headOffice(), 9001, "SI/900", day, 1, 1, 3, 2);
    addInvoice(servers.branch(), 9101, "SI/900", day, 1, 1, 2, 2);
    window->lowerPages()->setCurrentIndex(MainWindow::MismatchPage);
    EXPECT_EQ(window->msgMisMatch()->rowCount(), 1);

    // Choosing the cost centre on the page in front searches again.
    window->cboCostCentre()->setCurrentIndex(window->cboCostCentre()->findData(2));
    emit window->cboCostCentre()->activated(window->cboCostCentre()->currentIndex());
    ASSERT_EQ(window->msgMisMatch()->rowCount(), 2);
    EXPECT_EQ(cell(window->msgMisMatch(), 0, 1), "SI/900");
}
