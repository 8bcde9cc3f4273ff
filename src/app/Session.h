#pragma once

#include "app/QtPrompter.h"
#include "app/QtReporter.h"
#include "connection/CompanyConnections.h"
#include "connection/ProgramSettings.h"
#include "connection/StartUp.h"
#include "db/Connection.h"
#include "report/DailyLog.h"
#include "report/Notifier.h"
#include "report/Unattended.h"

#include <QDateTime>
#include <QObject>

#include <functional>
#include <memory>
#include <vector>

namespace upload {
class Connectivity;
}

namespace app {

class MainWindow;
class MastersController;
class ReconcileController;
class TimerController;
class TransformController;

/// The running session of two connected companies, and the program's composition root: owns the
/// settings, the connections, the log, the reporter and prompter, and the operations behind each
/// page; runs start-up, Connect, Reconnect and the exit question for the main window. main.cpp
/// and the tests build it the same way.
class Session : public QObject {
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
        /// Whether the machine is on a network, for the sync timer; null means the platform's own.
        upload::Connectivity* connectivity = nullptr;
        /// Told of every round trip the company connections make; null for the program itself.
        db::RoundTripObserver* roundTrips = nullptr;
    };

    Session(MainWindow& window, Options options);
    ~Session() override;

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

    /// Runs the work of page `page` of SSTab1 brought to the front (by a click or by the program),
    /// with the busy cursor; failures become balloons.
    void mainPageShown(int page);

    /// The operations behind the window's pages, built with the session and living as long as it.
    MastersController& masters() { return *m_masters; }
    TransformController& transform() { return *m_transform; }
    ReconcileController& reconcile() { return *m_reconcile; }
    TimerController& timer() { return *m_timer; }

    /// Marks a long operation of the operator (or a timer tick) as running for as long as it lives,
    /// unless another one is running already: then acquired() is false and nothing is marked.
    class OperationScope {
    public:
        OperationScope(Session& session, const QString& name);
        ~OperationScope();
        OperationScope(const OperationScope&) = delete;
        OperationScope& operator=(const OperationScope&) = delete;
        /// True when this scope marked its operation as running.
        bool acquired() const { return m_acquired; }

    private:
        Session& m_session;
        bool m_acquired = false;
        qsizetype m_noticesAtStart = 0;
    };
    /// Tells the operator that `refused` cannot start while the running operation goes on.
    void tellBusy(const QString& refused);
    /// The name of the operation running now ("" when none).
    const QString& runningOperation() const { return m_runningOperation; }

    connection::CompanyConnections& connections() { return m_connections; }
    const connection::ProgramSettings& settings() const { return m_settings; }
    report::DailyLog& dailyLog() { return m_log; }
    report::Reporter& reporter() { return m_reporter; }
    report::Prompter& prompter() { return *m_prompter; }
    /// What the sync timer's work reports through: no boxes, a repeated message notified once.
    report::Unattended& unattended() { return m_unattended; }
    const connection::SettingsFiles& files() const { return m_files; }
    /// The highest master activity id already uploaded (AppsettingsLoop.ini).
    qint32 maxActivityId() const { return m_maxActivityId; }
    /// Keeps the mark the master upload reached (the file is written by the upload itself).
    void setMaxActivityId(qint32 id) { m_maxActivityId = id; }
    /// The current date and time by the session's clock.
    QDateTime now() const { return m_options.clock(); }

private:
    void wire();
    void showDailyLog();

    MainWindow& m_window;
    Options m_options;
    QString m_programFolder;
    connection::SettingsFiles m_files;
    std::unique_ptr<QtPrompter> m_ownPrompter;
    report::Prompter* m_prompter;
    report::Notifier m_notifier;
    report::DailyLog m_log;
    QtReporter m_reporter;
    report::Unattended m_unattended{m_reporter};
    connection::CompanyConnections m_connections;
    db::Connection m_startup;
    connection::ProgramSettings m_settings;
    qint32 m_maxActivityId = 0;
    QString m_runningOperation;
    // Built last and destroyed first: they use everything above.
    std::unique_ptr<MastersController> m_masters;
    std::unique_ptr<TransformController> m_transform;
    std::unique_ptr<ReconcileController> m_reconcile;
    std::unique_ptr<TimerController> m_timer;
};

} // namespace app
