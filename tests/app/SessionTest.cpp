// Start-up, Connect, Reconnect and the exit question through the real main window on demo servers.
#include "app/MainWindow.h"
#include "app/Session.h"
#include "app/SingleInstance.h"
#include "report/DailyLog.h"
#include "report/IniSetting.h"
#include "report/TextFile.h"
#include "ScriptedPrompter.h"
#include "TempServers.h"

#include <QComboBox>
#include <QDateEdit>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <tuple>

using namespace app;

namespace {
const QDateTime fixedNow(QDate(2026, 12, 5), QTime(10, 30, 0));

class SessionTest : public ::testing::Test {
protected:
    support::TempServers servers;
    support::ScriptedPrompter prompter;
    int ends = 0;

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Session> session;

    void makeSession()
    {
        window = std::make_unique<MainWindow>(servers.folder());
        Session::Options options;
        options.prompter = &prompter;
        options.endProgram = [this] { ++ends; };
        options.clock = [] { return fixedNow; };
        session = std::make_unique<Session>(*window, options);
    }

    QString resource(const QString& name) const { return QDir(servers.folder()).filePath(QStringLiteral("Resources/") + name); }
    void setResource(const QString& name, const QString& text) { report::TextFile::write(resource(name), text); }
    qlonglong count(db::Connection& c, const QString& sql) { return support::TempServers::scalar(c, sql).toLongLong(); }

    // The pickers take the day from the server's own clock, which no test sets. `step` runs
    // between two readings of the machine's clock (the embedded servers read it too), shifted by
    // `offsetMinutes` from UTC, or local when there is none: the day shown must be the day of one
    // of them, which holds also when the step spans midnight.
    template <typename Step>
    bool pickerShowsServerDay(Step step, std::optional<int> offsetMinutes = std::nullopt)
    {
        const auto serverDay = [&] {
            return offsetMinutes ? QDateTime::currentDateTimeUtc().addSecs(qint64(*offsetMinutes) * 60).date() : QDate::currentDate();
        };
        const QDate before = serverDay();
        step();
        const QDate after = serverDay();
        const QDate shown = window->dtpdate()->date();
        return shown == before || shown == after;
    }
};
} // namespace

TEST_F(SessionTest, StartUpListsTheCompaniesAndConnectRefusesABadOrMissingOne)
{
    makeSession();
    ASSERT_TRUE(session->startUp());
    EXPECT_EQ(window->cboDestinationCompany()->count(), 1);
    EXPECT_EQ(window->cboDestinationCompany()->currentText(), "SUB01");
    EXPECT_EQ(window->cboSourceCompany()->currentText(), "MAIN01");
    EXPECT_TRUE(window->isLoginShown());
    EXPECT_FALSE(window->cmdConnect()->isHidden());
    EXPECT_FALSE(window->mainPages()->isTabEnabled(MainWindow::TechControlPage));
    EXPECT_TRUE(prompter.shown.empty());

    // A code that cannot be a database name, or a company the branch server does not have: one box,
    // the login stays, and nothing is written; the real company then connects.
    const QString settings = report::TextFile::read(resource("Appsettings.ini"));
    const qlonglong headLog = count(servers.headOffice(), "select count(*) from tbluserlog");
    for (const auto& [code, said, too] : {std::tuple{"SUB01;Data Source=embedded:HO", "cannot be a database name", "SUB01"},
                                          {"NOPE1", "NOPE1", "embedded:BR"}}) {
        prompter.shown.clear();
        window->cboDestinationCompany()->setCurrentText(code);
        session->connectCompanies();
        ASSERT_EQ(prompter.shown.size(), 1u) << code;
        EXPECT_TRUE(prompter.shown[0].text.contains(said) && prompter.shown[0].text.contains(too)) << prompter.shown[0].text.toStdString();
        EXPECT_FALSE(session->connections().destination().isOpen());
        EXPECT_TRUE(window->isLoginShown());
        EXPECT_TRUE(window->cmdConnect()->isEnabled());
        EXPECT_EQ(report::TextFile::read(resource("Appsettings.ini")), settings);
        EXPECT_EQ(count(servers.headOffice(), "select count(*) from tbluserlog"), headLog);
    }
    window->cboDestinationCompany()->setCurrentText("SUB01");
    session->connectCompanies();
    EXPECT_TRUE(session->connections().destination().isOpen());
}

// Connect and Reconnect close the connections a running operation works on: refused while one runs.
TEST_F(SessionTest, ConnectAndReconnectAreRefusedWhileAnOperationRuns)
{
    makeSession();
    ASSERT_TRUE(session->startUp());
    session->connectCompanies();
    ASSERT_FALSE(window->isLoginShown());
    {
        Session::OperationScope running(*session, QStringLiteral("Master Synchronisation"));
        window->cmdRefresh()->click();
        EXPECT_FALSE(window->isLoginShown());
        session->connectCompanies();
        ASSERT_EQ(prompter.shown.size(), 2u);
        EXPECT_EQ(prompter.shown[0].text, "\"Master Synchronisation\" is still running. Please start \"Reconnect\" again when it has finished.");
        EXPECT_EQ(prompter.shown[1].text, "\"Master Synchronisation\" is still running. Please start \"Connect\" again when it has finished.");
        EXPECT_TRUE(session->connections().source().isOpen());
    }
    window->cmdRefresh()->click();
    EXPECT_TRUE(window->isLoginShown());
}

TEST_F(SessionTest, MissingServerNameOrFolderEndsStartUpWithTheMessageNamingIt)
{
    setResource("ServerName.ini", "\r\n\r\n");
    makeSession();
    EXPECT_FALSE(session->startUp());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Please check  Server Name. \nThe first line of " + resource("ServerName.ini") + " holds no server name.");
    EXPECT_EQ(prompter.shown[0].icon, report::PromptIcon::Critical);

    // A first line of megabytes is refused at once, quoting only its start; an embedded server's
    // folder may have a longer path and is tried.
    for (const qsizetype length : {qsizetype(129), qsizetype(10 * 1024 * 1024)}) {
        prompter.shown.clear();
        setResource("ServerName.ini", QString(length, QLatin1Char('S')) + "\r\nembedded:BR\r\n");
        makeSession();
        EXPECT_FALSE(session->startUp());
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, "Please check  Server Name. \nThe server name in " + resource("ServerName.ini")
                                              + " is longer than a server name can be (at most 128 characters): \"" + QString(40, 'S') + "...\"");
    }
    prompter.shown.clear();
    setResource("ServerName.ini", "embedded:" + QString(300, QLatin1Char('S')) + "\r\n");
    makeSession();
    EXPECT_TRUE(session->startUp());
    EXPECT_TRUE(std::none_of(prompter.shown.begin(), prompter.shown.end(), [](const auto& p) { return p.text.startsWith("Please check"); }));

    // A program folder without Resources: the message gives the folder's path, and says why the
    // program is not using the folder beside itself.
    prompter.shown.clear();
    QDir(resource(QString())).removeRecursively();
    window = std::make_unique<MainWindow>(servers.folder());
    Session::Options options;
    options.prompter = &prompter;
    options.programFolderNote = "Mirtane keeps its Resources, logs and servers in " + servers.folder() + ", because /opt/x cannot be written.";
    session = std::make_unique<Session>(*window, options);
    EXPECT_FALSE(session->startUp());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Please check  Server Name. \nThe folder " + QDir::cleanPath(resource(QString())) + " is missing; it must hold "
                                      "ServerName.ini.\n" + options.programFolderNote);
}

TEST_F(SessionTest, UnreachableServerNamesTheFileAndAnImpossibleMarkIsRefused)
{
    setResource("ServerName.ini", "embedded:NOSUCH\r\n");
    setResource("Appsettings.ini", "SYNCSERVER=embedded:HO\r\nLOCALDBCODE");
    report::IniSetting::write(resource("AppsettingsLoop.ini"), "MaxActivityID", "99999999999");
    makeSession();
    ASSERT_TRUE(session->startUp());
    const QString tried = "Cannot connect to the server embedded:NOSUCH named in " + resource("ServerName.ini") + ": ";
    ASSERT_FALSE(window->notices().isEmpty());
    EXPECT_TRUE(window->notices().front().text.startsWith(tried)) << window->notices().front().text.toStdString();
    EXPECT_EQ(session->maxActivityId(), 0);
    // A key line without "=" is shown in a warning box and read as empty; start-up goes on.
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].text, "MaxActivityID=99999999999 in " + resource("AppsettingsLoop.ini")
                                          + " is larger than any activity number (at most 2147483647). Correct it; until then the master "
                                            "changes are not replayed.");
    EXPECT_EQ(prompter.shown[1].icon, report::PromptIcon::Warning);
    EXPECT_EQ(prompter.shown[1].text, "The line \"LOCALDBCODE\" of " + resource("Appsettings.ini") + " has no \"=\".");
    EXPECT_EQ(window->cboDestinationCompany()->currentText(), "");
}

TEST_F(SessionTest, ConnectOpensBothCompaniesTwiceRecreatesTheLinkedServerAndExitAsks)
{
    makeSession();
    ASSERT_TRUE(session->startUp());
    for (int round = 1; round <= 2; ++round) {
        window->showLogin();
        // With no offset the pickers show the head office's local date.
        EXPECT_TRUE(pickerShowsServerDay([&] { session->connectCompanies(); }));
        EXPECT_TRUE(prompter.shown.empty()) << prompter.shown[0].text.toStdString();
        EXPECT_TRUE(session->connections().destination().isOpen());
        EXPECT_TRUE(session->connections().source().isOpen());
        EXPECT_FALSE(window->isLoginShown());
        EXPECT_EQ(count(servers.branch(), "select count(*) from sys.servers where server_id != 0 and name = N'embedded:HO'"), 1);
        EXPECT_EQ(count(servers.branch(), "select count(*) from tbluserlog"), round);
        EXPECT_EQ(count(servers.headOffice(), "select count(*) from tbluserlog where Action = 'Connection Established from MAIN01 to SUB01'"),
                  round);
    }
    EXPECT_EQ(report::IniSetting::read(resource("Appsettings.ini"), "LOCALDBCODE", ""), "SUB01");
    // The linked server works: the branch reads the head office through it.
    EXPECT_GT(count(servers.branch(), "select count(*) from [embedded:HO].MAIN01.dbo.tblItemMaster"), 0);
    // The daily log is named after the From date and holds the connect entry.
    const QDate from = window->dtpdate()->date();
    const QString logFile = report::DailyLog::fileFor(report::DailyLog::folderFor(servers.folder(), "SUB01", fixedNow.date()), from);
    EXPECT_TRUE(report::TextFile::read(logFile).contains("\tConnect\tConnection Established from MAIN01 to SUB01"));
    // The "LogFile" page shows the daily log.
    window->mainPages()->setCurrentIndex(MainWindow::LogFilePage);
    EXPECT_TRUE(window->txtLog()->toPlainText().contains("Connection Established from MAIN01 to SUB01"));

    // The exit question: No stays, Cancel shows the login, Yes closes.
    prompter.script(report::PromptAnswer::No);
    EXPECT_FALSE(session->askExit());
    EXPECT_FALSE(window->isLoginShown());
    prompter.script(report::PromptAnswer::Cancel);
    EXPECT_FALSE(session->askExit());
    EXPECT_TRUE(window->isLoginShown());
    prompter.script(report::PromptAnswer::Yes);
    EXPECT_TRUE(session->askExit());
    ASSERT_EQ(prompter.shown.size(), 3u);
    EXPECT_EQ(prompter.shown[0].title, "Tarvik Mirtane ");
    EXPECT_EQ(prompter.shown[0].text, "Do you Want to Exit Tarvik ERP Mirtane\r\n \r\nClick [Yes] to exit \r\n \r\n"
                                      "[Cancel] to change login \r\n \r\n[No] to stay with the application");
    EXPECT_EQ(prompter.shown[0].buttons, report::PromptButtons::YesNoCancel);
    EXPECT_EQ(prompter.shown[0].defaultAnswer, report::PromptAnswer::No);
}

// An unreachable sync server leaves the main company list empty; Connect still completes.
TEST_F(SessionTest, WithTheHeadOfficeDownStartUpGoesOnAndConnectCompletesOnTheBranchClock)
{
    report::IniSetting::write(resource("Appsettings.ini"), "SYNCSERVER", "embedded:NOWHERE");
    makeSession();
    ASSERT_TRUE(session->startUp());
    EXPECT_EQ(window->cboDestinationCompany()->count(), 1);
    EXPECT_EQ(window->cboSourceCompany()->count(), 0);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "embedded:NOWHERE Not connected ");
    EXPECT_TRUE(window->isLoginShown());
    prompter.shown.clear();
    window->cboSourceCompany()->setCurrentText("MAIN01");
    // The branch answers for the clock when the head office cannot.
    EXPECT_TRUE(pickerShowsServerDay([&] { session->connectCompanies(); }));
    EXPECT_TRUE(session->connections().destination().isOpen());
    EXPECT_FALSE(session->connections().source().isOpen());
    EXPECT_FALSE(window->isLoginShown());
    // Said once, naming the company and the server; the branch has its user-log row and no linked server was made.
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].icon, report::PromptIcon::Warning);
    EXPECT_TRUE(prompter.shown[0].text.contains("MAIN01") && prompter.shown[0].text.contains("embedded:NOWHERE"))
        << prompter.shown[0].text.toStdString();
    EXPECT_EQ(count(servers.branch(), "select count(*) from tbluserlog"), 1);
    EXPECT_EQ(count(servers.branch(), "select count(*) from sys.servers where server_id != 0"), 0);
}

// ENCRYPT of Appsettings.ini reaches every SQL Server session; an installation without the key
// gets it written as optional, the setting that suits old and new servers.
TEST_F(SessionTest, EncryptAndTimezoneSettingsReachEveryConnection)
{
    makeSession();
    ASSERT_TRUE(session->startUp());
    EXPECT_EQ(report::IniSetting::read(resource("Appsettings.ini"), "ENCRYPT", ""), "optional");
    session->connectCompanies();
    EXPECT_EQ(session->connections().destination().context().encryption, db::Encryption::Optional);

    // Written as No, and with a time zone offset that shifts the server clock from UTC.
    report::IniSetting::write(resource("Appsettings.ini"), "ENCRYPT", "No");
    setResource("TIMEZONE.ini", "-1440");
    makeSession();
    ASSERT_TRUE(session->startUp());
    window->showLogin();
    EXPECT_TRUE(pickerShowsServerDay([&] { session->connectCompanies(); }, -1440));
    EXPECT_EQ(window->dtpto()->date(), window->dtpdate()->date());
    EXPECT_TRUE(session->connections().destination().isOpen());
    EXPECT_EQ(session->connections().destination().context().encryption, db::Encryption::No);
    EXPECT_EQ(session->connections().source().context().encryption, db::Encryption::No);
    EXPECT_TRUE(prompter.shown.empty()) << prompter.shown[0].text.toStdString();
}

TEST(SingleInstanceTest, ASecondStartOnTheSameFolderBringsTheFirstForwardAndOnlyThere)
{
    QTemporaryDir folder, otherFolder;
    int forward = 0;
    {
        SingleInstance first(folder.path());
        ASSERT_EQ(first.start(), SingleInstance::Start::First);
        QObject::connect(&first, &SingleInstance::comeForward, [&forward] { ++forward; });

        // The same folder written another way is the same folder. The second start runs on a
        // thread of its own, as another program would, while this one answers: a Windows pipe
        // hands the request over only as the first reads it.
        std::optional<SingleInstance::Start> second;
        const std::unique_ptr<QThread> starting(QThread::create([&] { second = SingleInstance(folder.path() + "/.").start(); }));
        starting->start();
        for (QDeadlineTimer deadline(5000); (forward == 0 || !starting->isFinished()) && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_TRUE(starting->wait(5000));
        EXPECT_EQ(second, SingleInstance::Start::OtherCameForward);
        EXPECT_EQ(forward, 1);

        SingleInstance elsewhere(otherFolder.path());
        EXPECT_EQ(elsewhere.start(), SingleInstance::Start::First);
    }
    // Once the first has ended, the folder is free again.
    SingleInstance again(folder.path());
    EXPECT_EQ(again.start(), SingleInstance::Start::First);
}
