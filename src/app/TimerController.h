#pragma once

#include "app/WidgetControls.h"
#include "upload/SyncCycle.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace upload {
class Connectivity;
}

namespace app {

class MainWindow;
class Session;

/// The sync timer timertrigger: each tick hands the window's choices to the sync cycle
/// (upload::SyncCycle), with the timer off and the sync buttons disabled while it uploads, and
/// shows what it did in lblTimerStatus, lblHealth and the tray tip.
class TimerController : public QObject {
    Q_OBJECT
public:
    /// The transformation a tick ends with, as the window's choices stand when it begins.
    using TransformationInput = std::function<upload::CycleTransformation()>;

    /// Connects the timer of `window`; `connectivity` null means the platform's network state.
    TimerController(Session& session, MainWindow& window, TransformationInput transformation,
                    upload::Connectivity* connectivity = nullptr);
    /// After Connect: the activity counts and the replay's memory start over.
    void companiesConnected();
    ~TimerController() override;

    /// One tick (timertrigger_Timer). A tick that finds another operation running only logs that it
    /// waited; an error is noticed once while it repeats. The timer is on again in every outcome. Throws nothing.
    void tick();
    /// The activity counts the ticks keep (what the last tick read, how far it counted).
    const upload::ActivitySummary& activitySummary() const { return m_cycle.activitySummary(); }
    /// The sync health the ticks keep (shown in lblHealth and the tray tip).
    const upload::Health& health() const { return m_cycle.health(); }

private:
    void showHealth();

    Session& m_session;
    MainWindow& m_window;
    TransformationInput m_transformation;
    std::unique_ptr<upload::Connectivity> m_ownConnectivity;
    TableGridControl m_activityGrid;
    TableGridControl m_countsGrid;
    ComboBoxControl m_vchTypes;
    upload::SyncCycle m_cycle;
};

} // namespace app
