#include "app/TimerController.h"

#include "app/MainWindow.h"
#include "app/ReconcileController.h"
#include "app/Session.h"
#include "app/TransformController.h"
#include "text/DateText.h"
#include "db/DbError.h"
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

TimerController::TimerController(Session& session, MainWindow& window, ReconcileController& reconcile, TransformController& transform,
                                 upload::Connectivity* connectivity)
    : m_session(session)
    , m_window(window)
    , m_reconcile(reconcile)
    , m_transform(transform)
    , m_ownConnectivity(connectivity ? nullptr : std::make_unique<upload::PlatformConnectivity>())
    , m_connectivity(connectivity ? connectivity : m_ownConnectivity.get())
    , m_activityGrid(*window.msgActivity())
    , m_health([&session] { return session.now(); })
{
    connect(window.timertrigger(), &QTimer::timeout, this, &TimerController::tick);
}

TimerController::~TimerController() = default;

void TimerController::companiesConnected()
{
    // The counts belong to the companies connected; a new Connect counts from its mark again.
    m_activitySummary.restart();
    m_replayMemory.started = false;
}

void TimerController::tick()
{
    // Nobody may be at the machine: what the tick would show in a box goes to the notices and
    // the log, once while it repeats, and the next tick comes all the same.
    report::Unattended& unattended = m_session.unattended();
    unattended.beginRound();
    m_session.qtReporter().setUnattended(true);
    upload::TickOutcome outcome;
    const qint32 markBefore = m_session.maxActivityId();
    bool ran = true;
    try {
        ran = work(outcome);
    } catch (const std::exception& e) {
        unattended.tell(report::PromptIcon::None, QString::fromUtf8(e.what()));
        m_window.timertrigger()->start();
    }
    if (ran)
        recordHealth(outcome, markBefore);
    m_session.qtReporter().setUnattended(false);
    unattended.endRound();
}

void TimerController::recordHealth(upload::TickOutcome outcome, qint32 markBefore)
{
    outcome.mark = m_session.maxActivityId();
    if (outcome.headOfficeReached) {
        // While the mark stands still, the summary just filled counts what waits above it.
        if (outcome.completed && outcome.mark == markBefore)
            outcome.waiting = upload::Health::waitingChanges(m_activityGrid);
        // One small read on the head office: whether it still records changes.
        try {
            outcome.captureMissing = upload::Health::captureMissing(m_session.connections().source(), m_session.now());
        } catch (const db::DbError& e) {
            if (e.isConnectionFailure())
                outcome.headOfficeReached = false;
        } catch (const std::exception&) {
            // what cannot be read is left as the last tick saw it
        }
    }
    if (m_health.record(outcome)) {
        // Once per change, however many ticks it lasts; the notices keep it.
        const QString notice = m_health.notice();
        m_session.unattended().log(QStringLiteral("Sync health"), notice);
        m_session.unattended().balloon(notice);
    }
    QLabel* label = m_window.lblHealth();
    label->setText(m_health.text());
    label->setToolTip(m_health.lines().join(QLatin1Char('\n')));
    label->setStyleSheet(m_health.troubled() ? QStringLiteral("color: #a00000;") : QString());
    label->show();
}

bool TimerController::work(upload::TickOutcome& outcome)
{
    QTimer* timer = m_window.timertrigger();
    report::Reporter& reporter = m_session.unattended();
    std::optional<Session::OperationScope> scope;
    scope.emplace(m_session, QStringLiteral("timer tick"));
    if (!scope->acquired()) {
        // Reopening the connections now would cut the running operation off; the next tick tries again.
        reporter.log(QStringLiteral("Timer tick waited"), m_session.runningOperation() + QStringLiteral(" is running"));
        return false;
    }

    // Connectivity, activity, master upload, transaction counts, transformation.
    report::ProgressSteps bar(reporter, QStringLiteral("Timer tick"), 5);
    const QDateTime now = m_session.now();
    m_window.lblTimerStatus()->setText(text::DateText::timeAmPm(now.time()));
    reporter.log(QStringLiteral("Timer Activated. checking Web connectivity"), QString());
    if (m_window.lblStatus()->text().trimmed().isEmpty())
        reporter.progress(QStringLiteral("Timer Activated ") + text::DateText::human(now));
    if (!m_connectivity->isWebConnected()) {
        timer->start();
        return true;
    }

    connection::CompanyConnections& connections = m_session.connections();
    connections.connectWebDatabase(m_session.settings());
    outcome.headOfficeReached = connections.source().isOpen();
    bar.moveTo(1);
    m_activitySummary.fill(connections.source(), reporter, m_activityGrid, m_session.maxActivityId());
    bar.moveTo(2);

    timer->stop();
    {
        DisabledDuringUpload disabled({m_window.cmdFullSync(), m_window.cmdSettingsSynch(), m_window.cmdStartDatamigration()});
        reporter.log(QStringLiteral("Masters uploading starting"), QString());
        upload::MasterUpload upload(connections.source(), connections.destination(), reporter,
                                    m_session.files().appSettingsLoop, &m_replayMemory);
        upload.setClock([this] { return m_session.now(); });
        m_session.setMaxActivityId(upload.uploadMasters(m_session.maxActivityId()));
        outcome.setAside = qint64(upload.setAside().size());
        bar.moveTo(3);
        m_reconcile.fillTransCount(reporter);
        bar.moveTo(4);
        reporter.log(QStringLiteral("Masters uploading End transaction uploading end"), QString());
        // The transformation run takes its own guard against a second run, so the tick lets go of
        // its own first; the timer stays off until the run is done.
        scope.reset();
        m_transform.runTransformation(RunBy::Timer);
    }
    timer->start();
    outcome.completed = true;
    return true;
}

} // namespace app
