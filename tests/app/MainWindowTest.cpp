#include "app/ClickableLabel.h"
#include "app/MainWindow.h"
#include "app/ProgressWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QApplication>

#include <gtest/gtest.h>

#include <optional>

namespace {

// The main window as the operator first sees it: every documented control, the login panel in front.
class MainWindowTest : public ::testing::Test {
protected:
    QTemporaryDir programFolder;
    app::MainWindow window{programFolder.path()};

    // The caption label that names `control` (its buddy), or nothing.
    std::optional<QString> labelOf(const QWidget* control)
    {
        for (QLabel* label : window.findChildren<QLabel*>())
            if (label->buddy() == control)
                return label->text();
        return std::nullopt;
    }

    static QStringList texts(const QListWidget& list)
    {
        QStringList result;
        for (int row = 0; row < list.count(); ++row)
            result << list.item(row)->text();
        return result;
    }

    static QStringList headerTexts(const QTableWidget& grid)
    {
        QStringList result;
        for (int column = 0; column < grid.columnCount(); ++column)
            result << grid.horizontalHeaderItem(column)->text();
        return result;
    }

    static QStringList pageTexts(const QTabWidget& tabs)
    {
        QStringList result;
        for (int page = 0; page < tabs.count(); ++page)
            result << tabs.tabText(page);
        return result;
    }
};

struct ControlRow {
    const char* name;
    const char* kind;      // Qt class the control must be (or inherit)
    const char* ownText;   // caption or initial text of the control itself; nullptr: not checked
    const char* labelText; // text of the label naming the control; nullptr: no label
};

const ControlRow controlTable[] = {
    {"fraLogin", "QFrame", nullptr, nullptr},
    {"cboSourceCompany", "QComboBox", nullptr, "Main Company:"},
    {"cboDestinationCompany", "QComboBox", nullptr, "Sub Company"},
    {"cmdConnect", "QPushButton", "Connect", nullptr},
    {"lblConnect", "app::ClickableLabel", nullptr, nullptr},
    {"Picture1", "QFrame", nullptr, nullptr},
    {"lstSource", "QListWidget", nullptr, nullptr},
    {"chkCheckAll", "QCheckBox", "Check1", nullptr},
    {"txtReduceTo", "QLineEdit", "", "Total Required Value:"},
    {"txttotVal", "QLabel", "0.00000", "Total Value:"},
    {"txtSelVal", "app::ClickableLabel", "0.00000", "Total Selected Value:"},
    {"cmdStartDatamigration", "QPushButton", "Start Transform", nullptr},
    {"cmdRefresh", "QPushButton", "Reconnect", nullptr},
    {"SSTab1", "QTabWidget", nullptr, nullptr},
    {"chkBulkInsert", "QCheckBox", "Bulk Insert Instead of Individual insert (masters)", nullptr},
    {"lstMasterSettings", "QListWidget", nullptr, nullptr},
    {"cmdFullSync", "QPushButton", "Master Synchronisation", nullptr},
    {"cmdMasterSynchDetail", "QPushButton", "::", nullptr},
    {"cmdSettingsSynch", "QPushButton", "Settings Synchronisation", nullptr},
    {"msgDataCount", "QTableWidget", nullptr, "Master Differences:"},
    {"Label4", "QLabel",
     "Masters will be identical with Main company. all masters created in sub company will be ignored. Never Reversed ",
     nullptr},
    {"cmdUpdateDataBase", "QPushButton", "Update Database", nullptr},
    {"dtpdate", "QDateEdit", nullptr, "From :"},
    {"dtpto", "QDateEdit", nullptr, "To :"},
    {"lstVchtypes", "QComboBox", nullptr, "VchTypes To Transform"},
    {"lstCategories", "QListWidget", nullptr, "Categories To transform"},
    {"LstitemClass", "QListWidget", nullptr, "ItemClass To transform"},
    {"cmdShowTransactions", "QPushButton", "Show Trans", nullptr},
    {"lblserverStat", "QLabel", "LOCK", nullptr},
    {"cboVchtypeTotransform", "QComboBox", nullptr, "Destination Vchtype To Transform"},
    {"cboTaxMode", "QComboBox", nullptr, "Dest Ta&xMode:"},
    {"txtPRateDiscount", "QLineEdit", "", "PRate Discount%:"},
    {"txtSRateDiscount", "QLineEdit", "", "SRate Discount%:"},
    {"txtMRPDiscount", "QLineEdit", "", "MRP Discount%:"},
    {"txtLog", "QPlainTextEdit", nullptr, nullptr},
    {"SSTab2", "QTabWidget", nullptr, nullptr},
    {"msgTransGrid", "QTableWidget", nullptr, nullptr},
    {"msgActivity", "QTableWidget", nullptr, nullptr},
    {"msgMisMatch", "QTableWidget", nullptr, nullptr},
    {"lblSourceConnection", "QLabel", nullptr, nullptr},
    {"lblDestinationConnection", "QLabel", nullptr, nullptr},
    {"lblDaystart", "QLabel", "....", nullptr},
    {"lblDaystartTime", "QLabel", "....", nullptr},
    {"lblTimerStatus", "QLabel", ".", nullptr},
    {"lblStatusMain", "QLabel", "...", nullptr},
    {"lblStatus", "QLabel", "...", nullptr},
};

QString ownTextOf(const QWidget* control)
{
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    return QStringLiteral("<no text>");
}

TEST_F(MainWindowTest, EveryDocumentedControlExistsWithItsKindAndCaption)
{
    EXPECT_EQ(window.objectName(), "frmMirtane");
    EXPECT_EQ(window.windowTitle(), "Mirtane");
    for (const ControlRow& row : controlTable) {
        SCOPED_TRACE(row.name);
        auto* control = window.findChild<QWidget*>(QString::fromLatin1(row.name));
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->inherits(row.kind)) << control->metaObject()->className();
        if (row.ownText) {
            EXPECT_EQ(ownTextOf(control), QString::fromUtf8(row.ownText));
        }
        if (row.labelText) {
            EXPECT_EQ(labelOf(control), std::optional<QString>(QString::fromUtf8(row.labelText)));
        }
    }
}

TEST_F(MainWindowTest, ControlsSitOnTheirDocumentedPages)
{
    QTabWidget& tabs = *window.SSTab1();
    auto onPage = [&](QWidget* control, int page) { return tabs.widget(page)->isAncestorOf(control); };
    for (QWidget* control : {static_cast<QWidget*>(window.chkBulkInsert()), static_cast<QWidget*>(window.lstMasterSettings()),
                             static_cast<QWidget*>(window.cmdFullSync()), static_cast<QWidget*>(window.cmdMasterSynchDetail()),
                             static_cast<QWidget*>(window.cmdSettingsSynch()), static_cast<QWidget*>(window.msgDataCount())})
        EXPECT_TRUE(onPage(control, app::MainWindow::StepOnePage)) << control->objectName().toStdString();
    EXPECT_TRUE(onPage(window.cmdUpdateDataBase(), app::MainWindow::TechControlPage));
    for (QWidget* control : {static_cast<QWidget*>(window.dtpdate()), static_cast<QWidget*>(window.dtpto()),
                             static_cast<QWidget*>(window.lstVchtypes()), static_cast<QWidget*>(window.lstCategories()),
                             static_cast<QWidget*>(window.LstitemClass()), static_cast<QWidget*>(window.cmdShowTransactions()),
                             static_cast<QWidget*>(window.lblserverStat())})
        EXPECT_TRUE(onPage(control, app::MainWindow::MainCompanyPage)) << control->objectName().toStdString();
    for (QWidget* control : {static_cast<QWidget*>(window.cboVchtypeTotransform()), static_cast<QWidget*>(window.cboTaxMode()),
                             static_cast<QWidget*>(window.txtPRateDiscount()), static_cast<QWidget*>(window.txtSRateDiscount()),
                             static_cast<QWidget*>(window.txtMRPDiscount())})
        EXPECT_TRUE(onPage(control, app::MainWindow::SubCompanyPage)) << control->objectName().toStdString();
    EXPECT_TRUE(onPage(window.txtLog(), app::MainWindow::LogFilePage));

    EXPECT_EQ(window.SSTab2()->widget(app::MainWindow::VoucherDetPage), window.msgTransGrid());
    EXPECT_EQ(window.SSTab2()->widget(app::MainWindow::ActivityPage), window.msgActivity());
    EXPECT_EQ(window.SSTab2()->widget(app::MainWindow::MismatchPage), window.msgMisMatch());

    EXPECT_TRUE(window.fraLogin()->isAncestorOf(window.cboSourceCompany()));
    EXPECT_TRUE(window.fraLogin()->isAncestorOf(window.cboDestinationCompany()));
    EXPECT_TRUE(window.fraLogin()->isAncestorOf(window.cmdConnect()));
    EXPECT_TRUE(window.fraLogin()->isAncestorOf(window.lblConnect()));
    EXPECT_TRUE(window.Picture1()->isAncestorOf(window.lstSource()));
}

TEST_F(MainWindowTest, ItemClassListHoldsTheTenClassesWithIdsZeroToNine)
{
    const QListWidget& list = *window.LstitemClass();
    EXPECT_EQ(texts(list), (QStringList{"STOCK ITEM", "STOCK ITEM-II", "STOCK ITEM-III", "STOCK ITEM-IV",
                                        "NON-STOCK ITEM", "SERVICE-I", "SERVICE-II", "SERVICE-III", "SERVICE-IV",
                                        "RETURNABLE PACKING MATERIAL"}));
    for (int row = 0; row < list.count(); ++row)
        EXPECT_EQ(list.item(row)->data(Qt::UserRole), QVariant(row)) << row;
    EXPECT_EQ(list.selectedItems().size(), 0);
}

TEST_F(MainWindowTest, TaxModeComboHoldsTheSixModesWithIdsZeroToFive)
{
    const QComboBox& combo = *window.cboTaxMode();
    const QStringList expected{"<SAME AS SOURCE>", "<None>", "VAT", "CST", "TaxOnMRP", "GST"};
    ASSERT_EQ(combo.count(), expected.size());
    for (int row = 0; row < combo.count(); ++row) {
        EXPECT_EQ(combo.itemText(row), expected[row]);
        EXPECT_EQ(combo.itemData(row, Qt::UserRole), QVariant(row)) << row;
    }
    EXPECT_FALSE(combo.isEditable());
}

TEST_F(MainWindowTest, ListsAndCombosHaveTheDocumentedBehaviour)
{
    for (QListWidget* list : {window.lstMasterSettings(), window.lstCategories(), window.LstitemClass()})
        EXPECT_EQ(list->selectionMode(), QAbstractItemView::MultiSelection) << list->objectName().toStdString();
    EXPECT_TRUE(window.cboSourceCompany()->isEditable());
    EXPECT_TRUE(window.cboDestinationCompany()->isEditable());
    EXPECT_FALSE(window.lstVchtypes()->isEditable());
    EXPECT_FALSE(window.cboVchtypeTotransform()->isEditable());
    EXPECT_TRUE(window.txtLog()->isReadOnly());
    EXPECT_TRUE(window.dtpdate()->calendarPopup());
    EXPECT_TRUE(window.dtpto()->calendarPopup());
    for (QTableWidget* grid : {window.msgDataCount(), window.msgTransGrid(), window.msgActivity(), window.msgMisMatch()})
        EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers) << grid->objectName().toStdString();
}

TEST_F(MainWindowTest, TabStripsHaveTheirPagesInOrder)
{
    EXPECT_EQ(pageTexts(*window.SSTab1()),
              (QStringList{"Step 1", "Tech Control Panel", "Main Company Settings", "Sub Company Settings", "LogFile"}));
    EXPECT_EQ(pageTexts(*window.SSTab2()), (QStringList{"Voucher Det", "Activity", "Mismatch", "Transfers"}));
}

TEST_F(MainWindowTest, GridsStartWithTheirColumnTitlesAndNoRows)
{
    EXPECT_EQ(headerTexts(*window.msgDataCount()), (QStringList{"Table                      ", "DestntnCount", "SourceCount"}));
    EXPECT_EQ(headerTexts(*window.msgTransGrid()),
              (QStringList{"Table  ", "DesktopCount", "OnlineCount", "Mismatch", "Table "}));
    EXPECT_EQ(headerTexts(*window.msgActivity()), (QStringList{"Updations ", " TableName ", " Date "}));
    EXPECT_EQ(headerTexts(*window.msgMisMatch()),
              (QStringList{"SlNo", "Inv No          ", " Inv Date   ", "VchType  ", "Table"}));
    for (QTableWidget* grid : {window.msgDataCount(), window.msgTransGrid(), window.msgActivity(), window.msgMisMatch()})
        EXPECT_EQ(grid->rowCount(), 0) << grid->objectName().toStdString();
    // The blanks of a title widen its column.
    EXPECT_GT(window.msgDataCount()->columnWidth(0), window.msgDataCount()->columnWidth(2));
}

// The "Tech Control Panel" page: hidden from the operator until Insert is pressed in this window.
TEST_F(MainWindowTest, TechControlPanelIsUnavailableAtStart)
{
    EXPECT_FALSE(window.SSTab1()->isTabEnabled(app::MainWindow::TechControlPage));
    for (int page : {0, 2, 3, 4})
        EXPECT_TRUE(window.SSTab1()->isTabEnabled(page)) << page;
}

TEST_F(MainWindowTest, InsertInAControlOfThePagesEnablesTechControlPanel)
{
    window.hideLogin();
    window.show();
    QTest::keyClick(window.txtPRateDiscount(), Qt::Key_A);
    EXPECT_FALSE(window.SSTab1()->isTabEnabled(app::MainWindow::TechControlPage));
    QTest::keyClick(window.txtPRateDiscount(), Qt::Key_Insert);
    EXPECT_TRUE(window.SSTab1()->isTabEnabled(app::MainWindow::TechControlPage));
    // The control still receives its keys.
    EXPECT_EQ(window.txtPRateDiscount()->text(), "a");
}

TEST_F(MainWindowTest, InsertOnTheLoginPanelEnablesTechControlPanel)
{
    window.show();
    ASSERT_TRUE(window.isLoginShown());
    QTest::keyClick(window.cboDestinationCompany(), Qt::Key_Insert);
    EXPECT_TRUE(window.SSTab1()->isTabEnabled(app::MainWindow::TechControlPage));
}

TEST_F(MainWindowTest, InsertInAnotherWindowLeavesTechControlPanelUnavailable)
{
    app::MainWindow other(programFolder.path());
    app::ProgressWindow progress;
    QTest::keyClick(other.cboSourceCompany(), Qt::Key_Insert);
    QTest::keyClick(progress.cmdClose(), Qt::Key_Insert);
    EXPECT_FALSE(window.SSTab1()->isTabEnabled(app::MainWindow::TechControlPage));
    EXPECT_TRUE(other.SSTab1()->isTabEnabled(app::MainWindow::TechControlPage));
}

TEST_F(MainWindowTest, SyncTimerIsOffWithFiveSecondInterval)
{
    EXPECT_FALSE(window.timertrigger()->isActive());
    EXPECT_EQ(window.timertrigger()->interval(), 5000);
    window.show();
    QTest::qWait(20);
    EXPECT_FALSE(window.timertrigger()->isActive());
}

// The login panel covers everything and keeps the controls behind it out of reach.
TEST_F(MainWindowTest, LoginPanelCoversTheWholeWindowWhileShown)
{
    window.resize(1100, 700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(window.isLoginShown());
    EXPECT_TRUE(window.fraLogin()->isVisible());
    EXPECT_EQ(window.fraLogin()->geometry(), window.centralWidget()->rect());
    EXPECT_FALSE(window.cmdFullSync()->isEnabled());
    EXPECT_TRUE(window.cmdConnect()->isEnabled());

    window.resize(1300, 760);
    QApplication::processEvents();
    EXPECT_EQ(window.fraLogin()->geometry(), window.centralWidget()->rect());
}

TEST_F(MainWindowTest, HidingTheLoginGivesTheControlsBackAndReconnectShowsItAgain)
{
    window.show();
    window.cmdStartDatamigration()->setEnabled(false); // an operation's own choice survives the panel
    window.hideLogin();
    EXPECT_FALSE(window.isLoginShown());
    EXPECT_FALSE(window.fraLogin()->isVisible());
    EXPECT_TRUE(window.cmdFullSync()->isEnabled());
    EXPECT_FALSE(window.cmdStartDatamigration()->isEnabled());

    window.showLogin();
    EXPECT_TRUE(window.fraLogin()->isVisible());
    EXPECT_FALSE(window.cmdFullSync()->isEnabled());
    window.hideLogin();
    EXPECT_FALSE(window.cmdStartDatamigration()->isEnabled());
}

TEST_F(MainWindowTest, WindowClosesWhenNoQuestionIsSet)
{
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, CloseQuestionAnsweredNoKeepsTheWindowOpen)
{
    int asked = 0;
    bool answer = false;
    window.setCloseQuestion([&] {
        ++asked;
        return answer;
    });
    window.show();
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    answer = true;
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(asked, 2);
}

TEST_F(MainWindowTest, ScreenReadersReadLabelsByTheirTextAndOtherControlsByTheirName)
{
    for (const char* name :
         {"fraLogin", "cboSourceCompany", "cboDestinationCompany", "Picture1", "lstSource", "txtReduceTo", "SSTab1",
          "lstMasterSettings", "msgDataCount", "dtpdate", "dtpto", "lstVchtypes", "lstCategories", "LstitemClass",
          "cboVchtypeTotransform", "cboTaxMode", "txtPRateDiscount", "txtSRateDiscount", "txtMRPDiscount", "txtLog", "SSTab2",
          "msgTransGrid", "msgActivity", "msgMisMatch"}) {
        auto* control = window.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->accessibleName(), QString::fromLatin1(name));
    }
    window.txttotVal()->setText("75545");
    window.lblStatusMain()->setText("Upoading Over");
    window.showNotice("Disk full");
    for (const char* name : {"txttotVal", "lblStatusMain", "lblNotice", "lblTimerStatus", "lblSourceConnection"}) {
        auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(label, nullptr) << name;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(label);
        ASSERT_NE(accessible, nullptr) << name;
        EXPECT_EQ(accessible->text(QAccessible::Name), label->text()) << name;
    }
}

TEST_F(MainWindowTest, ClickableLabelsReportClicksAndDoubleClicks)
{
    window.show();
    QSignalSpy connectClicks(window.lblConnect(), &app::ClickableLabel::clicked);
    QSignalSpy reselect(window.txtSelVal(), &app::ClickableLabel::doubleClicked);
    QTest::mouseClick(window.lblConnect(), Qt::LeftButton);
    window.hideLogin();
    QTest::mouseDClick(window.txtSelVal(), Qt::LeftButton);
    QTest::mouseClick(window.txtSelVal(), Qt::RightButton);
    EXPECT_EQ(connectClicks.count(), 1);
    EXPECT_EQ(reselect.count(), 1);
}

TEST_F(MainWindowTest, LongStatusTextDoesNotWidenTheWindow)
{
    window.resize(1000, 700);
    window.hideLogin();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.lblStatus()->setText(QString(5000, QLatin1Char('x')));
    window.lblStatusMain()->setText(QString(5000, QLatin1Char('y')));
    QApplication::processEvents();
    EXPECT_EQ(window.width(), 1000);
    EXPECT_LE(window.minimumSizeHint().width(), 1000);
}

TEST_F(MainWindowTest, WholeWindowFitsOnA1366By768Screen)
{
    EXPECT_LE(window.minimumSizeHint().width(), 1366);
    EXPECT_LE(window.minimumSizeHint().height(), 720);
}

TEST_F(MainWindowTest, NoticeStripShowsTheLatestNoticeUntilDismissed)
{
    window.hideLogin();
    window.show();
    EXPECT_FALSE(window.noticeStrip()->isVisible());
    window.showNotice("Invalid object name 'tblActivity'.");
    window.showNotice("Connection failure");
    EXPECT_TRUE(window.noticeStrip()->isVisible());
    EXPECT_EQ(window.noticeText()->text(), "Connection failure");
    QTest::mouseClick(window.noticeStrip()->findChild<QToolButton*>("cmdDismissNotice"), Qt::LeftButton);
    EXPECT_FALSE(window.noticeStrip()->isVisible());
}

} // namespace
