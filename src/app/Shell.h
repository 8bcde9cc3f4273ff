#pragma once

#include "app/QtPrompter.h"
#include "app/QtReporter.h"
#include "connect/CompanyConnections.h"
#include "connect/ProgramSettings.h"
#include "connect/StartUp.h"
#include "db/Connection.h"
#include "report/DailyLog.h"
#include "report/IniSetting.h"
#include "report/Notifier.h"
#include "report/Unattended.h"

#include <QDateTime>
#include <QObject>

#include <functional>
#include <map>
#include <vector>

namespace app {

class MainWindow;

/// The composition root of the program: owns the settings, the connections, the log and the
/// reporter, runs start-up, Connect, Reconnect and the exit question for the main window.
class Shell : public QObject {
    Q_OBJECT
public:
    /// Injected pieces, so that tests can replace the clock, the prompts and the program's end.
    struct Options {
        std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
        /// Message boxes; null means boxes shown with QMessageBox over the window.
        report::Prompter* prompter = nullptr;
        /// Ends the program at once; null means QCoreApplication::exit(0).
        std::function<void()> endProgram;
        /// Why the program folder is not the executable's own ("" when it is), told at start-up.
        QString programFolderNote;
    };

    Shell(MainWindow& window, Options options);
    ~Shell() override;

    /// Runs the start-up sequence; false when the program must end (the message was shown).
    bool startUp();
    /// The Connect operation: opens both companies, re-creates the linked server, sets the date
    /// pickers from the server clock, writes the user log and hides the login panel.
    void connectCompanies();
    /// Ends the program at once (the operator chose to, or it cannot go on).
    void endProgram();
    /// Shows the login panel again; nothing is closed.
    void reconnect();
    /// Asks whether to exit; true when the window may close.
    bool askExit();

    /// Adds something to run at the end of every Connect, once the login panel is hidden.
    void addConnectedHook(std::function<void()> hook) { m_connectedHooks.push_back(std::move(hook)); }
    /// Sets what fills the filter lists once both companies are connected (during Connect).
    void setFillFilters(std::function<void()> fill) { m_fillFilters = std::move(fill); }
    /// Sets what runs when page `page` of SSTab1 is brought to the front (by a click or by the program).
    void setMainPageHandler(int page, std::function<void()> handler);
    /// Runs the handler of the SSTab1 page now in front, with the busy cursor; failures become balloons.
    void mainPageShown(int page);

    /// Sets what compares the master counts of both companies (it sets the master-difference flag).
    void setRefreshMasterCounts(std::function<void()> refresh) { m_refreshMasterCounts = std::move(refresh); }
    /// Compares the master counts now (nothing until a comparison is set).
    void refreshMasterCounts() { if (m_refreshMasterCounts) m_refreshMasterCounts(); }
    /// Sets the voucher transformation run; `manual` is true from "Start Transform", false from the timer.
    void setRunTransformation(std::function<void(bool manual)> run) { m_runTransformation = std::move(run); }
    /// Runs the voucher transformation (nothing until one is set).
    void runTransformation(bool manual) { if (m_runTransformation) m_runTransformation(manual); }

    /// Marks a long operation of the operator (or a timer tick) as running for as long as it lives,
    /// unless another one is running already: then acquired() is false and nothing is marked.
    class OperationScope {
    public:
        OperationScope(Shell& shell, const QString& name);
        ~OperationScope();
        OperationScope(const OperationScope&) = delete;
        OperationScope& operator=(const OperationScope&) = delete;
        /// True when this scope marked its operation as running.
        bool acquired() const { return m_acquired; }

    private:
        Shell& m_shell;
        bool m_acquired = false;
        qsizetype m_noticesAtStart = 0;
    };
    /// Tells the operator that `refused` cannot start while the running operation goes on.
    void tellBusy(const QString& refused);
    /// The name of the operation running now ("" when none).
    const QString& runningOperation() const { return m_runningOperation; }

    /// True when the last master count comparison found a table whose counts differ.
    bool masterDifference() const { return m_masterDifference; }
    void setMasterDifference(bool differs) { m_masterDifference = differs; }

    connection::CompanyConnections& connections() { return m_connections; }
    const connection::ProgramSettings& settings() const { return m_settings; }
    report::DailyLog& dailyLog() { return m_log; }
    report::Reporter& reporter() { return m_reporter; }
    /// The window's own reporter, for what only the window does (the tray, unattended notes).
    QtReporter& qtReporter() { return m_reporter; }
    report::Prompter& prompter() { return *m_prompter; }
    /// What the sync timer's work reports through: no boxes, a repeated message notified once.
    report::Unattended& unattended() { return m_unattended; }
    report::IniSetting& ini() { return m_ini; }
    const connection::SettingsFiles& files() const { return m_files; }
    /// The highest master activity id already uploaded (AppsettingsLoop.ini).
    qint32 maxActivityId() const { return m_maxActivityId; }
    /// Keeps the mark the master upload reached (the file is written by the upload itself).
    void setMaxActivityId(qint32 id) { m_maxActivityId = id; }
    /// The current date and time by the shell's clock.
    QDateTime now() const { return m_options.clock(); }
    /// The automatic mode flag read at Connect.
    bool automaticMode() const { return m_automaticMode; }

private:
    void wire();
    void showDailyLog();

    MainWindow& m_window;
    Options m_options;
    QString m_programFolder;
    connection::SettingsFiles m_files;
    std::unique_ptr<QtPrompter> m_ownPrompter;
    report::Prompter* m_prompter;
    report::IniSetting m_ini;
    report::Notifier m_notifier;
    report::DailyLog m_log;
    QtReporter m_reporter;
    report::Unattended m_unattended{m_reporter};
    connection::CompanyConnections m_connections;
    db::Connection m_startup;
    connection::ProgramSettings m_settings;
    qint32 m_maxActivityId = 0;
    qint32 m_maxActivityIdTrans = 0;
    bool m_automaticMode = false;
    std::function<void()> m_fillFilters;
    std::vector<std::function<void()>> m_connectedHooks;
    std::function<void()> m_refreshMasterCounts;
    std::function<void(bool)> m_runTransformation;
    bool m_masterDifference = false;
    QString m_runningOperation;
    std::map<int, std::function<void()>> m_mainPageHandlers;
};

} // namespace app
