#include "app/ProgressWindow.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The progress window shown while lists fill: its controls and its cancel flag.
TEST(ProgressWindowTest, StartsWithItsCaptionAndNotCancelled)
{
    app::ProgressWindow window;
    EXPECT_EQ(window.objectName(), "frmInitialize");
    EXPECT_EQ(window.windowTitle(), "Easy Progress");
    EXPECT_EQ(window.lblCAption()->text(), "****");
    EXPECT_EQ(window.findChild<QProgressBar*>("prg"), window.prg());
    EXPECT_EQ(window.findChild<QLabel*>("lblCAption"), window.lblCAption());
    EXPECT_EQ(window.findChild<QPushButton*>("cmdClose"), window.cmdClose());
    EXPECT_FALSE(window.isCancelled());
    EXPECT_EQ(window.windowModality(), Qt::NonModal);
}

TEST(ProgressWindowTest, CloseButtonSetsTheCancelFlagAndClosesTheWindow)
{
    app::ProgressWindow window;
    QSignalSpy cancelled(&window, &app::ProgressWindow::cancelled);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.cmdClose(), Qt::LeftButton);
    EXPECT_TRUE(window.isCancelled());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(cancelled.count(), 1);

    window.clearCancel();
    EXPECT_FALSE(window.isCancelled());
}

TEST(ProgressWindowTest, ClosingByTheProgramIsNotACancel)
{
    app::ProgressWindow window;
    window.show();
    window.close();
    EXPECT_FALSE(window.isCancelled());
}

TEST(ProgressWindowTest, ShownWindowLeavesOtherWindowsUsable)
{
    QWidget other;
    other.show();
    app::ProgressWindow window;
    window.show();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
