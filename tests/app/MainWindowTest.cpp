#include "app/ClickableLabel.h"
#include "app/MainWindow.h"
#include "app/ProgressWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// The main window before any operation runs, the login panel in front.
class MainWindowTest : public ::testing::Test {
protected:
    QTemporaryDir programFolder;
    app::MainWindow window{programFolder.path()};
};

// The "Tech Control Panel" page: hidden from the operator until Insert is pressed in this window,
// on the pages or on the login panel, not in another window.
TEST_F(MainWindowTest, InsertInThisWindowEnablesTechControlPanel)
{
    EXPECT_FALSE(window.mainPages()->isTabEnabled(app::MainWindow::TechControlPage));
    for (int page : {0, 2, 3, 4})
        EXPECT_TRUE(window.mainPages()->isTabEnabled(page)) << page;
    app::MainWindow other(programFolder.path());
    app::ProgressWindow progress;
    QTest::keyClick(other.cboSourceCompany(), Qt::Key_Insert);
    QTest::keyClick(progress.cmdClose(), Qt::Key_Insert);
    EXPECT_FALSE(window.mainPages()->isTabEnabled(app::MainWindow::TechControlPage));
    EXPECT_TRUE(other.mainPages()->isTabEnabled(app::MainWindow::TechControlPage));

    window.hideLogin();
    window.show();
    QTest::keyClick(window.txtPRateDiscount(), Qt::Key_A);
    EXPECT_FALSE(window.mainPages()->isTabEnabled(app::MainWindow::TechControlPage));
    QTest::keyClick(window.txtPRateDiscount(), Qt::Key_Insert);
    EXPECT_TRUE(window.mainPages()->isTabEnabled(app::MainWindow::TechControlPage));
    // The control still receives its keys.
    EXPECT_EQ(window.txtPRateDiscount()->text(), "a");

    app::MainWindow third(programFolder.path());
    third.show();
    ASSERT_TRUE(third.isLoginShown());
    QTest::keyClick(third.cboDestinationCompany(), Qt::Key_Insert);
    EXPECT_TRUE(third.mainPages()->isTabEnabled(app::MainWindow::TechControlPage));
}

// The login panel covers everything and keeps the controls behind it out of reach; hidden, it
// gives them back as they were.
TEST_F(MainWindowTest, LoginPanelKeepsTheControlsOutOfReachWhileShown)
{
    window.show();
    EXPECT_TRUE(window.isLoginShown());
    EXPECT_TRUE(window.fraLogin()->isVisible());
    EXPECT_FALSE(window.cmdFullSync()->isEnabled());
    EXPECT_TRUE(window.cmdConnect()->isEnabled());

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

TEST_F(MainWindowTest, WindowClosesUnlessTheCloseQuestionIsAnsweredNo)
{
    window.show();
    EXPECT_TRUE(window.close()); // no question set
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

TEST_F(MainWindowTest, ClickableLabelsReportClicksAndTheNoticeStripShowsTheLatestUntilDismissed)
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

    // The notice strip shows the latest notice until dismissed.
    EXPECT_FALSE(window.noticeStrip()->isVisible());
    window.showNotice("Invalid object name 'tblActivity'.");
    window.showNotice("Connection failure");
    EXPECT_TRUE(window.noticeStrip()->isVisible());
    EXPECT_EQ(window.noticeText()->text(), "Connection failure");
    QTest::mouseClick(window.noticeStrip()->findChild<QToolButton*>("cmdDismissNotice"), Qt::LeftButton);
    EXPECT_FALSE(window.noticeStrip()->isVisible());
}

} // namespace
