#include "app/ProgressWindow.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The progress window shown while lists fill: only its own Close button cancels the filling, and
// it leaves the other windows usable.
TEST(ProgressWindowTest, CloseButtonSetsTheCancelFlagAndClosingByTheProgramDoesNot)
{
    QWidget other;
    other.show();
    app::ProgressWindow window;
    QSignalSpy cancelled(&window, &app::ProgressWindow::cancelled);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    window.close();
    EXPECT_FALSE(window.isCancelled());

    window.show();
    QTest::mouseClick(window.cmdClose(), Qt::LeftButton);
    EXPECT_TRUE(window.isCancelled());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(cancelled.count(), 1);
    window.clearCancel();
    EXPECT_FALSE(window.isCancelled());
}

} // namespace
