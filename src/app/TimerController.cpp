#include "app/TimerController.h"

#include "app/MainWindow.h"
#include "app/ReconcileController.h"
#include "app/Shell.h"
#include "db/DateText.h"
#include "report/ProgressSteps.h"
#include "upload/MasterUpload.h"
#include "upload/PlatformConnectivity.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <exception>
#include <optional>
#include <vector>

namespace app {

namespace {

// The buttons that would start work on the same tables as the upload; each gets back the state it had.
class DisabledDuringUpload {
public:
    explicit DisabledDuringUpload(std::vector<QPushButton*> buttons)
    {
        for (QPushButton* button : buttons) {
            m_buttons.push_back({button, button->isEnabled()});
            button->setEnabled(false);
        }
    }
    ~DisabledDuringUpload()
    {
        for (const auto& [button, enabled] : m_buttons)
            button->setEnabled(enabled);
    }
    DisabledDuringUpload(const DisabledDuringUpload&) = delete;
    DisabledDuringUpload& operator=(const DisabledDuringUpload&) = delete;

private:
    std::vector<std::pair<QPushButton*, bool>> m_buttons;
};

} // namespace

TimerController::TimerController(Shell& shell, MainWindow& window, ReconcileController& reconcile, upload::Connectivity* connectivity)
    : m_shell(shell)
    , m_window(window)
    , m_reconcile(reconcile)
    , m_ownConnectivity(connectivity ? nullptr : std::make_unique<upload::PlatformConnectivity>())
    , m_connectivity(connectivity ? connectivity : m_ownConnectivity.get())
    , m_activityGrid(*window.msgActivity())
{
    // The counts belong to the companies connected; a new Connect counts from its mark again.
    shell.addConnectedHook([this] {
        m_activitySummary.restart();
        m_replayMemory.started = false;
    });
    connect(window.timertrigger(), &QTimer::timeout, this, &TimerController::tick);
}

TimerController::~TimerController() = default;

void TimerController::tick()
{
    // Nobody may be at the machine: what the tick would show in a box goes to the notices and
    // the log, once while it repeats, and the next tick comes all the same.
    report::Unattended& unattended = m_shell.unattended();
    unattended.beginRound();
    m_shell.qtReporter().setUnattended(true);
    try {
        work();
    } catch (const std::exception& e) {
        unattended.tell(report::PromptIcon::None, QString::fromUtf8(e.what()));
        m_window.timertrigger()->start();
    }
    m_shell.qtReporter().setUnattended(false);
    unattended.endRound();
}

void TimerController::work()
{
    QTimer* timer = m_window.timertrigger();
    report::Reporter& reporter = m_shell.unattended();
    std::optional<Shell::OperationScope> scope;
    scope.emplace(m_shell, QStringLiteral("timer tick"));
    if (!scope->acquired()) {
        // Reopening the connections now would cut the running operation off; the next tick tries again.
        reporter.log(QStringLiteral("Timer tick waited"), m_shell.runningOperation() + QStringLiteral(" is running"));
        return;
    }

    // Connectivity, activity, master upload, transaction counts, transformation.
    report::ProgressSteps bar(reporter, QStringLiteral("Timer tick"), 5);
    const QDateTime now = m_shell.now();
    m_window.lblTimerStatus()->setText(db::DateText::timeAmPm(now.time()));
    reporter.log(QStringLiteral("Timer Activated. checking Web connectivity"), QString());
    if (m_window.lblStatus()->text().trimmed().isEmpty())
        reporter.progress(QStringLiteral("Timer Activated ") + db::DateText::human(now));
    if (!m_connectivity->isWebConnected()) {
        timer->start();
        return;
    }

    connection::CompanyConnections& connections = m_shell.connections();
    connections.connectWebDatabase(m_shell.settings());
    bar.moveTo(1);
    m_activitySummary.fill(connections.source(), reporter, m_activityGrid, m_shell.maxActivityId());
    bar.moveTo(2);

    timer->stop();
    {
        DisabledDuringUpload disabled({m_window.cmdFullSync(), m_window.cmdSettingsSynch(), m_window.cmdStartDatamigration()});
        reporter.log(QStringLiteral("Masters uploading starting"), QString());
        upload::MasterUpload upload(connections.source(), connections.destination(), reporter, m_shell.unattended(), m_shell.ini(),
                                    m_shell.files().appSettingsLoop, &m_replayMemory);
        m_shell.setMaxActivityId(upload.uploadMasters(m_shell.maxActivityId()));
        bar.moveTo(3);
        m_reconcile.fillTransCount(reporter);
        bar.moveTo(4);
        reporter.log(QStringLiteral("Masters uploading End transaction uploading end"), QString());
        // The transformation run takes its own guard against a second run, so the tick lets go of
        // its own first; the timer stays off until the run is done.
        scope.reset();
        m_shell.runTransformation(false);
    }
    timer->start();
}

} // namespace app
