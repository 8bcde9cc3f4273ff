#include "upload/SyncCycle.h"

#include "connection/CompanyConnections.h"
#include "connection/ProgramSettings.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "reconcile/TransactionCounts.h"
#include "report/ProgressSteps.h"
#include "report/Unattended.h"
#include "text/DateText.h"
#include "upload/Connectivity.h"

#include <exception>

namespace upload {

namespace {

// Calls `hook` when it goes out of scope, however the block is left.
class AtExit {
public:
    explicit AtExit(const std::function<void()>& hook)
        : m_hook(hook)
    {
    }
    ~AtExit()
    {
        if (m_hook)
            m_hook();
    }
    AtExit(const AtExit&) = delete;
    AtExit& operator=(const AtExit&) = delete;

private:
    const std::function<void()>& m_hook;
};

} // namespace

SyncCycle::SyncCycle(connection::CompanyConnections& connections, const connection::ProgramSettings& settings, report::Unattended& reporter,
                     QString loopSettingsPath, Connectivity& connectivity, std::function<QDateTime()> clock)
    : m_connections(connections)
    , m_settings(settings)
    , m_reporter(reporter)
    , m_loopSettingsPath(std::move(loopSettingsPath))
    , m_connectivity(connectivity)
    , m_clock(clock)
    , m_health(std::move(clock))
{
}

void SyncCycle::restart()
{
    // The counts belong to the companies connected; a new Connect counts from its mark again.
    m_activitySummary.restart();
    m_replayMemory.started = false;
}

CycleResult SyncCycle::run(qint32 mark, CycleInputs inputs, const CycleHooks& hooks)
{
    CycleResult result;
    result.tick.mark = mark;
    try {
        work(mark, inputs, hooks, result);
    } catch (const std::exception& e) {
        m_reporter.tell(report::PromptIcon::None, QString::fromUtf8(e.what()));
    }
    if (hooks.workOver)
        hooks.workOver();
    recordHealth(mark, result);
    return result;
}

void SyncCycle::work(qint32 mark, CycleInputs& inputs, const CycleHooks& hooks, CycleResult& result)
{
    // Connectivity, activity, master upload, transaction counts, transformation.
    report::ProgressSteps bar(m_reporter, QStringLiteral("Timer tick"), 5);
    const QDateTime now = m_clock();
    m_reporter.log(QStringLiteral("Timer Activated. checking Web connectivity"), QString());
    if (inputs.progressLineEmpty)
        m_reporter.progress(QStringLiteral("Timer Activated ") + text::DateText::human(now));
    if (!m_connectivity.isWebConnected())
        return;

    m_connections.connectWebDatabase(m_settings);
    result.tick.headOfficeReached = m_connections.source().isOpen();
    bar.moveTo(1);
    m_activitySummary.fill(m_connections.source(), m_reporter, mark);
    result.activityRowsRead = m_activitySummary.rowsRead();
    result.activity = m_activitySummary.rows();
    if (hooks.activityCounted)
        hooks.activityCounted(result.activity);
    bar.moveTo(2);

    if (hooks.uploadStarting)
        hooks.uploadStarting();
    {
        const AtExit uploadOver(hooks.uploadOver);
        m_reporter.log(QStringLiteral("Masters uploading starting"), QString());
        MasterUpload upload(m_connections.source(), m_connections.destination(), m_reporter, m_loopSettingsPath, &m_replayMemory);
        upload.setClock(m_clock);
        result.tick.mark = upload.uploadMasters(mark);
        result.tick.setAside = qint64(upload.setAside().size());
        bar.moveTo(3);
        result.transactionCounts = reconcile::TransactionCounts(m_connections.destination(), m_connections.source(), m_reporter)
                                       .count(inputs.countsVchType, inputs.countsDay);
        if (hooks.transactionsCounted)
            hooks.transactionsCounted(*result.transactionCounts);
        bar.moveTo(4);
        m_reporter.log(QStringLiteral("Masters uploading End transaction uploading end"), QString());
        if (inputs.transformation && (!hooks.transformationStarting || hooks.transformationStarting())) {
            CycleTransformation& transformation = *inputs.transformation;
            if (!transformation.refused.isEmpty())
                m_reporter.tell(report::PromptIcon::Exclamation, transformation.refused);
            else
                result.transformation = transformation.run.run(transformation.choices, transformation.settings);
        }
    }
    result.tick.completed = true;
}

void SyncCycle::recordHealth(qint32 markBefore, CycleResult& result)
{
    TickOutcome& outcome = result.tick;
    if (outcome.headOfficeReached) {
        // While the mark stands still, the summary just made counts what waits above it.
        if (outcome.completed && outcome.mark == markBefore)
            outcome.waiting = m_activitySummary.waitingChanges();
        // One small read on the head office: whether it still records changes.
        try {
            outcome.captureMissing = Health::captureMissing(m_connections.source(), m_clock());
        } catch (const db::DbError& e) {
            if (e.isConnectionFailure())
                outcome.headOfficeReached = false;
        } catch (const std::exception&) {
            // what cannot be read is left as the last cycle saw it
        }
    }
    result.healthChanged = m_health.record(outcome);
    if (result.healthChanged) {
        // Once per change, however many cycles it lasts; the notices keep it.
        const QString notice = m_health.notice();
        m_reporter.log(QStringLiteral("Sync health"), notice);
        m_reporter.balloon(notice);
    }
}

} // namespace upload
