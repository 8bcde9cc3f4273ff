#pragma once

#include "app/WidgetControls.h"
#include "upload/MasterUpload.h"
#include "upload/ActivitySummary.h"
#include "upload/Health.h"

#include <QObject>

#include <memory>

namespace upload {
class Connectivity;
}

namespace app {

class MainWindow;
class ReconcileController;
class TransformController;
class Session;

/// The sync timer timertrigger: each tick, while the machine is on a network, reconnects both
/// companies, shows the activity summary, replays the master changes, refreshes the day's
/// transaction counts and runs the transformation, with the timer off while it works.
class TimerController : public QObject {
    Q_OBJECT
public:
    /// Connects the timer of `window`; `connectivity` null means the platform's network state.
    TimerController(Session& session, MainWindow& window, ReconcileController& reconcile, TransformController& transform,
                    upload::Connectivity* connectivity = nullptr);
    /// After Connect: the activity counts and the replay's memory start over.
    void companiesConnected();
    ~TimerController() override;

    /// One tick (timertrigger_Timer). A tick that finds another operation running only logs that it
    /// waited; an error is shown in a message box. The timer is on again in every outcome. Throws nothing.
    void tick();
    /// The activity counts the ticks keep (what the last tick read, how far it counted).
    const upload::ActivitySummary& activitySummary() const { return m_activitySummary; }
    /// The sync health the ticks keep (shown in lblHealth and the tray tip).
    const upload::Health& health() const { return m_health; }

private:
    /// False when the tick waited for another operation.
    bool work(upload::TickOutcome& outcome);
    void recordHealth(upload::TickOutcome outcome, qint32 markBefore);

    Session& m_session;
    MainWindow& m_window;
    ReconcileController& m_reconcile;
    TransformController& m_transform;
    std::unique_ptr<upload::Connectivity> m_ownConnectivity;
    upload::Connectivity* m_connectivity;
    TableGridControl m_activityGrid;
    upload::ReplayMemory m_replayMemory;
    upload::ActivitySummary m_activitySummary;
    upload::Health m_health;
};

} // namespace app
