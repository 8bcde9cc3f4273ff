// What the operator sees beside the work: the progress bar, the notice history, the tray tip,
// tooltips, shortcuts and accessible names, and where an installed program keeps its files.
#include "app/MainWindow.h"
#include "app/ProgramFolder.h"
#include "app/QtPrompter.h"
#include "app/QtReporter.h"
#include "app/Session.h"

#include "ScriptedPrompter.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#ifdef Q_OS_LINUX
#include <sys/mount.h>
#include <unistd.h>
#endif

#include <functional>
#include <memory>

using namespace app;

namespace {
class OperatorDisplayTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    support::ScriptedPrompter prompter;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Session> session;

    void SetUp() override
    {
        window = std::make_unique<MainWindow>(folder.path());
        Session::Options options;
        options.prompter = &prompter;
        session = std::make_unique<Session>(*window, options);
    }
    report::Reporter& reporter() { return session->reporter(); }
};
} // namespace

TEST_F(OperatorDisplayTest, ProgressBarShowsTheInnermostWorkAndHidesWhenAllIsDone)
{
    QProgressBar* bar = window->prgOperation();
    EXPECT_TRUE(bar->isHidden());

    reporter().progressRange("Master Synchronisation", 1, 3);
    EXPECT_FALSE(bar->isHidden());

    reporter().progressRange("Copying tblLedger", 40, 100);
    EXPECT_EQ(window->lblOperation()->text(), "Copying tblLedger");
    EXPECT_EQ(bar->value(), 40);

    // The rows are done: the bar goes back to the tables.
    reporter().progressRange("Copying tblLedger", 100, 100);
    EXPECT_EQ(window->lblOperation()->text(), "Master Synchronisation");
    EXPECT_EQ(bar->value(), 1);
    EXPECT_FALSE(bar->isHidden());

    reporter().progressRange("Master Synchronisation", 3, 3);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_TRUE(window->lblOperation()->isHidden());
}

TEST_F(OperatorDisplayTest, BalloonsErrorsAndWarningsLandInTheNoticeHistoryNewestFirst)
{
    reporter().balloon("   ");
    EXPECT_TRUE(window->notices().isEmpty());
    EXPECT_EQ(window->cmdNotices()->text(), "Notices");

    reporter().balloon("Violation of PRIMARY KEY constraint");
    window->addNotice("Failed to update tblArea", QDateTime(QDate(2026, 12, 5), QTime(10, 30, 0)));
    ASSERT_EQ(window->notices().size(), 2);
    EXPECT_EQ(window->notices()[0].text, "Violation of PRIMARY KEY constraint");
    EXPECT_EQ(window->cmdNotices()->text(), "Notices (2)");

    window->hideLogin();
    window->cmdNotices()->click();
    auto* dialog = window->findChild<QDialog*>("dlgNotices");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    auto* table = dialog->findChild<QTableWidget*>("tblNotices");
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(0, 0)->text(), "05/Dec/2026 10:30:00 AM");
    EXPECT_EQ(table->item(0, 1)->text(), "Failed to update tblArea");
    EXPECT_EQ(table->item(1, 1)->text(), "Violation of PRIMARY KEY constraint");

    // Errors and warnings shown in a box land there too; questions and information do not.
    QtPrompter boxes(window.get());
    std::function<void()> close;
    close = [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->reject();
        else
            QTimer::singleShot(5, close);
    };
    using report::PromptIcon;
    for (const auto& [icon, text] : {std::pair{PromptIcon::Critical, "Failed to update tblLedger"}, {PromptIcon::Question, "Do you want to exit?"},
                                     {PromptIcon::Information, "Loading Over"}, {PromptIcon::Warning, "embedded:HO Not connected "}}) {
        QTimer::singleShot(0, close);
        boxes.tell(icon, text);
    }
    ASSERT_EQ(window->notices().size(), 4);
    EXPECT_EQ(window->notices()[2].text, "Failed to update tblLedger");
    EXPECT_EQ(window->notices()[3].text, "embedded:HO Not connected ");
}

TEST_F(OperatorDisplayTest, TrayTipStartsWithTheProgramNameAndTellsTheLastSyncAndTheTimer)
{
    EXPECT_EQ(QtReporter::trayTip("10:30:00 AM", true), "ERP Mirtane\nLast sync: 10:30:00 AM\nSync timer running");
    // "." is what lblTimerStatus shows before the first connect.
    EXPECT_EQ(QtReporter::trayTip(".", false), "ERP Mirtane\nSync timer stopped");
}

TEST_F(OperatorDisplayTest, MainButtonsHaveTipsAndEveryControlHasAnAccessibleName)
{
    for (QPushButton* button : {window->cmdFullSync(), window->cmdSettingsSynch(), window->cmdShowTransactions(),
                                window->cmdStartDatamigration(), window->cmdRefresh(), window->cmdUpdateDataBase()}) {
        EXPECT_FALSE(button->toolTip().isEmpty()) << button->objectName().toStdString();
    }
    // Labels changed since the window was made are read by what they show now.
    window->txttotVal()->setText("75545");
    window->lblStatusMain()->setText("Upoading Over");
    window->showNotice("Disk full");
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (control->focusPolicy() == Qt::NoFocus || control->isWindow() || control->objectName().isEmpty()
            || control->objectName().startsWith("qt_"))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(accessible, nullptr);
        // A label is read by what it shows, even when that is nothing yet.
        if (auto* label = qobject_cast<QLabel*>(control))
            EXPECT_EQ(accessible->text(QAccessible::Name), label->text()) << control->objectName().toStdString();
        else
            EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty()) << control->objectName().toStdString();
    }
}

TEST(OperatorShortcutTest, ShortcutsReachButtonsOnHiddenPagesAndTheNoticesBehindTheLoginPanel)
{
    QTemporaryDir folder;
    MainWindow window(folder.path());
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    int fullSyncs = 0;
    QObject::connect(window.cmdFullSync(), &QPushButton::clicked, [&] { ++fullSyncs; });
    const auto press = [&](QKeyCombination keys) {
        QTest::keyClick(&window, keys.key(), keys.keyboardModifiers());
        QTest::qWait(150); // a button pressed by its key shows itself pressed for a moment
    };

    // Behind the login panel only the notices answer, and they have a button of their own there.
    EXPECT_TRUE(window.cmdLoginNotices()->isHidden());
    window.addNotice("Linked server failed");
    EXPECT_FALSE(window.cmdLoginNotices()->isHidden());
    EXPECT_EQ(window.cmdLoginNotices()->text(), "Notices (1)");
    press(Qt::CTRL | Qt::Key_M);
    EXPECT_EQ(fullSyncs, 0);
    press(Qt::CTRL | Qt::Key_N);
    auto* notices = window.findChild<QDialog*>("dlgNotices");
    ASSERT_NE(notices, nullptr);
    EXPECT_TRUE(notices->isVisible());
    notices->hide();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    // A key whose button is on another page shows the page and focuses the button; the same key
    // on that page presses it.
    window.hideLogin();
    window.mainPages()->setCurrentIndex(MainWindow::LogFilePage);
    press(Qt::CTRL | Qt::Key_M);
    EXPECT_EQ(window.mainPages()->currentIndex(), MainWindow::StepOnePage);
    EXPECT_TRUE(window.cmdFullSync()->hasFocus());
    EXPECT_EQ(fullSyncs, 0);
    press(Qt::CTRL | Qt::Key_M);
    EXPECT_EQ(fullSyncs, 1);
    // A disabled button stays unpressed.
    window.cmdFullSync()->setEnabled(false);
    press(Qt::CTRL | Qt::Key_M);
    EXPECT_EQ(fullSyncs, 1);
}

TEST(ProgramFolderTest, WritableFolderIsKeptAndAnInstalledCopyUsesTheDataFolder)
{
    QTemporaryDir root;
    const QString own = root.filePath("build/bin");
    const QString data = root.filePath("home/.local/share/Mirtane");
    ASSERT_TRUE(QDir().mkpath(own));
    EXPECT_EQ(ProgramFolder::choose(own, data), own);
    EXPECT_FALSE(QDir(data).exists());

    const QString installed = root.filePath("usr/bin");
    ASSERT_TRUE(QDir().mkpath(installed));
    ASSERT_TRUE(QDir().mkpath(root.filePath("usr/share/applications")));
    QFile desktop(root.filePath("usr/share/applications/mirtane.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::WriteOnly));
    desktop.close();
    QString why;
    EXPECT_EQ(ProgramFolder::choose(installed, data, &why), data);
    EXPECT_TRUE(QDir(data).exists());
    EXPECT_TRUE(QDir(installed).isEmpty());
    EXPECT_EQ(why, "Mirtane keeps its Resources, logs and servers in " + data + ", because " + installed
                       + " is an installed copy shared by every user.");

    // The Windows installer's layout: bin\ beside the uninstaller, in a folder its user may write.
    const QString windowsData = root.filePath("AppData/Roaming/Mirtane");
    const QString windowsBin = root.filePath("Program Files/Mirtane/bin");
    ASSERT_TRUE(QDir().mkpath(windowsBin));
    EXPECT_EQ(ProgramFolder::choose(windowsBin, windowsData), windowsBin);
    QFile uninstaller(root.filePath("Program Files/Mirtane/Uninstall.exe"));
    ASSERT_TRUE(uninstaller.open(QIODevice::WriteOnly));
    uninstaller.close();
    EXPECT_EQ(ProgramFolder::choose(windowsBin, windowsData), windowsData);
    EXPECT_TRUE(QDir(windowsData).exists());
    EXPECT_TRUE(QDir(windowsBin).isEmpty());
}

TEST(ProgramFolderTest, ReadOnlyProgramFolderMovesToTheDataFolderAndSaysWhy)
{
#ifndef Q_OS_LINUX
    GTEST_SKIP() << "the read-only folder is a read-only tmpfs mounted over it, which only Linux has";
#else
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a read-only folder needs root";
    QTemporaryDir root;
    const QString own = root.filePath("readonly/bin");
    const QString data = root.filePath("home/.local/share/Mirtane");
    ASSERT_TRUE(QDir().mkpath(own));
    const QByteArray mountPoint = QFile::encodeName(own);
    ASSERT_EQ(::mount("tmpfs", mountPoint.constData(), "tmpfs", MS_RDONLY, "size=16k"), 0) << std::strerror(errno);
    QString why;
    const QString chosen = ProgramFolder::choose(own, data, &why);
    ::umount2(mountPoint.constData(), MNT_DETACH);
    EXPECT_EQ(chosen, data);
    EXPECT_EQ(why, "Mirtane keeps its Resources, logs and servers in " + data + ", because " + own + " cannot be written.");
#endif
}
