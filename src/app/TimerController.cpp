#include "app/TimerController.h"

#include "app/MainWindow.h"
#include "app/Session.h"
#include "text/DateText.h"
#include "upload/PlatformConnectivity.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <vector>

namespace app {

TimerController::TimerController(Session& session, MainWindow& window, TransformationInput transformation,
                                 upload::Connectivity* connectivity)
    : m_session(session)
    , m_window(window)
    , m_transformation(std::move(transformation))
    , m_ownConnectivity(connectivity ? nullptr : std::make_unique<upload::PlatformConnectivity>())
    , m_activityGrid(*window.msgActivity())
    , m_countsGrid(*window.msgTransGrid())
    , m_vchTypes(*window.lstVchtypes())
    , m_cycle(session.connections(), session.settings(), session.unattended(), session.files().appSettingsLoop,
              connectivity ? *connectivity : *m_ownConnectivity, [&session] { return session.now(); })
{
    connect(window.timertrigger(), &QTimer::timeout, this, &TimerController::tick);
}

TimerController::~TimerController() = default;

void TimerController::companiesConnected()
{
    m_cycle.restart();
}

void TimerController::tick()
{
    // Nobody may be at the machine: what the tick would show in a box goes to the notices and
    // the log, once while it repeats, and the next tick comes all the same.
    report::Unattended& unattended = m_session.unattended();
    unattended.beginRound();
    std::optional<Session::OperationScope> scope;
    scope.emplace(m_session, QStringLiteral("timer tick"));
    if (!scope->acquired()) {
        // Reopening the connections now would cut the running operation off; the next tick tries again.
        unattended.log(QStringLiteral("Timer tick waited"), m_session.runningOperation() + QStringLiteral(" is running"));
    } else {
        QTimer* timer = m_window.timertrigger();
        m_window.lblTimerStatus()->setText(text::DateText::timeAmPm(m_session.now().time()));
        upload::CycleInputs inputs;
        inputs.progressLineEmpty = m_window.lblStatus()->text().trimmed().isEmpty();
        if (const int chosen = m_vchTypes.currentIndex(); chosen >= 0)
            inputs.countsVchType = m_vchTypes.itemData(chosen);
        inputs.countsDay = m_window.dtpdate()->date();
        if (m_transformation)
            inputs.transformation.emplace(m_transformation());

        // The buttons that would start work on the same tables as the upload; each gets back the state it had.
        std::vector<std::pair<QPushButton*, bool>> disabled;
        upload::CycleHooks hooks;
        hooks.activityCounted = [this](const QStringList& rows) { upload::ActivitySummary::show(rows, m_activityGrid); };
        hooks.transactionsCounted = [this](const reconcile::DayCounts& counts) { reconcile::TransactionCounts::show(counts, m_countsGrid); };
        hooks.uploadStarting = [&] {
            timer->stop();
            for (QPushButton* button : {m_window.cmdFullSync(), m_window.cmdSettingsSynch(), m_window.cmdStartDatamigration()}) {
                disabled.push_back({button, button->isEnabled()});
                button->setEnabled(false);
            }
        };
        hooks.uploadOver = [&] {
            for (const auto& [button, enabled] : disabled)
                button->setEnabled(enabled);
            disabled.clear();
        };
        hooks.workOver = [timer] { timer->start(); };
        // The transformation runs under its own guard against a second run, as Start Transform does;
        // the timer stays off until it is done.
        hooks.transformationStarting = [&] {
            scope.reset();
            scope.emplace(m_session, QStringLiteral("Start Transform"));
            if (scope->acquired())
                return true;
            unattended.log(QStringLiteral("Start Transform"), QStringLiteral("Not started: ") + m_session.runningOperation() + QStringLiteral(" is running"));
            return false;
        };

        const upload::CycleResult result = m_cycle.run(m_session.maxActivityId(), std::move(inputs), hooks);
        m_session.setMaxActivityId(result.tick.mark);
        showHealth();
    }
    scope.reset();
    unattended.endRound();
}

void TimerController::showHealth()
{
    const upload::Health& health = m_cycle.health();
    QLabel* label = m_window.lblHealth();
    label->setText(health.text());
    label->setToolTip(health.lines().join(QLatin1Char('\n')));
    label->setStyleSheet(health.troubled() ? QStringLiteral("color: #a00000;") : QString());
    label->show();
}

} // namespace app
