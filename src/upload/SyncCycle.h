#pragma once

#include "reconcile/TransactionCounts.h"
#include "transform/TransformationRun.h"
#include "upload/ActivitySummary.h"
#include "upload/Health.h"
#include "upload/MasterUpload.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace connection {
class CompanyConnections;
struct ProgramSettings;
}
namespace report {
class Unattended;
}

namespace upload {

class Connectivity;

/// The transformation a cycle ends with, as the window's choices stood when the tick began.
struct CycleTransformation {
    /// The run that copies (the one that never opens a box).
    transform::TransformationRun& run;
    /// The lists' choices, taken when the tick began.
    transform::RunChoices choices;
    /// The rest of the choices.
    transform::RunSettings settings;
    /// Why the run must not start (a percentage box that holds no number); empty when it may.
    QString refused;
};

/// What one cycle reads from and writes to besides the databases, taken when the tick begins.
struct CycleInputs {
    /// True when the progress line shows nothing: the cycle then shows that it started.
    bool progressLineEmpty = true;
    /// The day's transaction counts: the voucher type chosen (none: not chosen) and the day.
    std::optional<long long> countsVchType;
    QDate countsDay;
    /// The transformation; none: it is not run.
    std::optional<CycleTransformation> transformation;
};

/// What the window does around the cycle's steps; each may be empty.
struct CycleHooks {
    /// The activity above the mark was summarised: its rows, for the grid msgActivity.
    std::function<void(const QStringList&)> activityCounted;
    /// The day's transactions were counted on both sides, for the grid msgTransGrid.
    std::function<void(const reconcile::DayCounts&)> transactionsCounted;
    /// Before the master upload: the timer stops, the buttons that work on the same tables go off.
    std::function<void()> uploadStarting;
    /// After the transformation, or when the upload or what follows it failed: the buttons come back.
    std::function<void()> uploadOver;
    /// After the work, before the health is recorded, unless the cycle waited: the timer runs again.
    std::function<void()> workOver;
    /// Just before the transformation: hands the tick's guard over to the run's; false when the
    /// run must not start (the reason is logged by the hook).
    std::function<bool()> transformationStarting;
};

/// What one cycle did, for the window to show.
struct CycleResult {
    /// How the tick went, as the health records it (the master mark after the replay included).
    TickOutcome tick;
    /// Activity rows the summary read this cycle.
    qint64 activityRowsRead = 0;
    /// The activity summary as the cycle left it (one row per table and day); empty when not reached.
    QStringList activity;
    /// The day's transaction counts; nothing when the cycle did not get that far.
    std::optional<reconcile::DayCounts> transactionCounts;
    /// What the transformation did; nothing when it was not run.
    std::optional<transform::RunOutcome> transformation;
    /// True when what is wrong changed with this cycle; its notice was given.
    bool healthChanged = false;
};

/// One unattended synchronisation cycle (a tick of the sync timer): checks the network, reopens the
/// head office, summarises its activity above the mark, replays the master changes, refreshes the
/// day's transaction counts, runs the transformation and records the sync health. It reports only
/// through the unattended reporter it is given, so it never opens a box; an error ends it, is told
/// once while it repeats, and the next cycle comes all the same. Keeps the activity counts, the
/// replay's memory and the health from one cycle to the next.
class SyncCycle {
public:
    /// Works on `connections` with `settings`; the mark goes to `loopSettingsPath`; `clock` gives the time.
    SyncCycle(connection::CompanyConnections& connections, const connection::ProgramSettings& settings, report::Unattended& reporter,
              QString loopSettingsPath, Connectivity& connectivity, std::function<QDateTime()> clock);

    /// Runs one cycle from master mark `mark`. Throws nothing.
    CycleResult run(qint32 mark, CycleInputs inputs, const CycleHooks& hooks);
    /// After Connect: the activity counts and the replay's memory start over.
    void restart();

    /// The activity counts the cycles keep.
    const ActivitySummary& activitySummary() const { return m_activitySummary; }
    /// The sync health the cycles keep.
    const Health& health() const { return m_health; }

private:
    void work(qint32 mark, CycleInputs& inputs, const CycleHooks& hooks, CycleResult& result);
    void recordHealth(qint32 markBefore, CycleResult& result);

    connection::CompanyConnections& m_connections;
    const connection::ProgramSettings& m_settings;
    report::Unattended& m_reporter;
    QString m_loopSettingsPath;
    Connectivity& m_connectivity;
    std::function<QDateTime()> m_clock;
    ReplayMemory m_replayMemory;
    ActivitySummary m_activitySummary;
    Health m_health;
};

} // namespace upload
