#include "upload/Health.h"

#include "db/Connection.h"
#include "text/DateText.h"
#include "db/DbError.h"

namespace upload {

Health::Health(std::function<QDateTime()> clock)
    : m_clock(std::move(clock))
{
}

bool Health::record(const TickOutcome& tick)
{
    const int before = problems();
    m_now = m_clock();
    m_recorded = true;
    if (!tick.headOfficeReached) {
        // Nothing else could be looked at: the rest stays as the last tick that reached it saw it.
        if (!m_unreachableSince.isValid())
            m_unreachableSince = m_now;
        return problems() != before;
    }
    m_unreachableSince = QDateTime();
    if (tick.completed)
        m_lastGood = m_now;
    if (tick.setAside >= 0)
        m_setAside = tick.setAside;
    m_captureMissing = tick.captureMissing;

    // The replay is stalled when the mark stays put, tick after tick, with changes waiting above it.
    const bool moved = !m_markKnown || tick.mark != m_mark;
    m_markKnown = true;
    m_mark = tick.mark;
    m_waiting = tick.waiting;
    if (moved || tick.waiting <= 0) {
        m_stillTicks = 0;
        m_waitingSince = QDateTime();
    } else {
        if (m_stillTicks == 0)
            m_waitingSince = m_now;
        ++m_stillTicks;
    }
    return problems() != before;
}

int Health::problems() const
{
    int found = 0;
    if (m_unreachableSince.isValid())
        found |= Unreachable;
    if (m_stillTicks >= stalledAfterTicks)
        found |= Stalled;
    if (m_setAside > 0)
        found |= SetAside;
    if (m_captureMissing)
        found |= CaptureMissing;
    return found;
}

bool Health::troubled() const
{
    return problems() != 0;
}

QString Health::when(const QDateTime& time) const
{
    // A time of another day would read as today's.
    if (time.date() == m_now.date())
        return text::DateText::hoursMinutes(time.time());
    return text::DateText::dayMonthYear(time.date()) + QLatin1Char(' ') + text::DateText::hoursMinutes(time.time());
}

QStringList Health::lines() const
{
    QStringList out;
    if (!m_recorded)
        return out;
    const int found = problems();
    if (found & Unreachable)
        out << QStringLiteral("head office unreachable since ") + when(m_unreachableSince);
    if (found & CaptureMissing)
        out << QStringLiteral("change capture missing at head office");
    if (found & Stalled)
        out << QStringLiteral("replay stalled: %1 head-office changes waiting since %2").arg(m_waiting).arg(when(m_waitingSince));
    if (found & SetAside)
        out << (m_setAside == 1 ? QStringLiteral("1 change set aside") : QStringLiteral("%1 changes set aside").arg(m_setAside));
    out << (m_lastGood.isValid() ? QStringLiteral("last good tick ") + when(m_lastGood) : QStringLiteral("no good tick yet"));
    return out;
}

QString Health::notice() const
{
    if (!troubled())
        return QStringLiteral("Sync health: all well again; ") + lines().join(QStringLiteral("; "));
    return QStringLiteral("Sync health: ") + text();
}

bool Health::captureMissing(db::Connection& headOffice, const QDateTime& now)
{
    const QDateTime from = now.addDays(-silentDays);
    try {
        // The newest row by number is the last one written; its date says whether capture still runs.
        db::Recordset last = headOffice.openRecordset(QStringLiteral("select top 1 DateofAction from tblActivity order by ID desc"));
        if (!last.eof()) {
            const QDateTime at = text::DateText::parse(last.field(0).text());
            if (at.isValid() && at >= from)
                return false;
        }
    } catch (const db::DbError& e) {
        if (e.nativeCode() == 208) // Invalid object name: the table is not there
            return true;
        throw;
    }
    // A quiet head office records nothing; one that sells and buys must.
    const QString since = text::DateText::sqlDate(from.date());
    for (const char* table : {"tblSales", "tblPurchase"}) {
        db::Recordset vouchers = headOffice.openRecordset(
            QStringLiteral("select top 1 InvID from %1 where InvDate>='%2'").arg(QLatin1String(table), since));
        if (!vouchers.eof())
            return true;
    }
    return false;
}

} // namespace upload
