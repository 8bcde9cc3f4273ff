#include "upload/MasterUpload.h"

#include "db/Connection.h"
#include "text/NumberText.h"
#include "db/Transaction.h"
#include "replication/RowCopier.h"
#include "report/IniSetting.h"
#include "report/TextFile.h"
#include "report/Reporter.h"

#include <QElapsedTimer>
#include <QMap>

#include <algorithm>
#include <array>
#include <exception>
#include <functional>
#include <limits>
#include <utility>

namespace upload {

namespace {

const QString errorTag = QStringLiteral("masters uploading Error");

struct KnownTable {
    const char* table;
    const char* column;
};

const std::array<KnownTable, 13> knownTables = {{
    {"tblCategories", "categoryID"},
    {"tblCostCentre", "CCID"},
    {"tblEmployee", "EMPID"},
    {"tblGodown", "GodownID"},
    {"tblItemMaster", "ItemID"},
    {"tblLedger", "LID"},
    {"tblTaxClass", "TaxClassID"},
    {"tblUserMaster", "UserID"},
    {"tblUserGroupMaster", "ID"},
    {"tblVchType", "VchTypeID"},
    {"tblCustomerProfile", "ProfileID"},
    {"tblArea", "AreaID"},
    {"tblAgent", "AgentID"},
}};

QString errorText(const std::exception& e)
{
    return QString::fromUtf8(e.what());
}

// The settings file keeps entries separated by ";" and values ending at "=": a reason keeps
// neither, nor line ends, and stays short.
QString fileSafe(const QString& text)
{
    QString out = text.left(200);
    for (QChar& c : out)
        if (c == QLatin1Char(';') || c == QLatin1Char('=') || c == QLatin1Char('|') || c.unicode() < 0x20)
            c = QLatin1Char(' ');
    return out.simplified();
}

const QString markKey = QStringLiteral("MaxActivityID");
const QString retriesKey = QStringLiteral("MasterRetries");
const QString setAsideKey = QStringLiteral("MasterSetAside");
const QString gapsKey = QStringLiteral("MasterGaps");

// "first|last|seen;" for each gap in the activity ids still looked at.
std::vector<ActivityGap> parseGaps(const QString& text)
{
    std::vector<ActivityGap> gaps;
    for (const QString& entry : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char('|'));
        bool firstOk = false;
        bool lastOk = false;
        bool seenOk = false;
        ActivityGap gap{parts.value(0).trimmed().toLongLong(&firstOk), parts.value(1).trimmed().toLongLong(&lastOk),
                        parts.value(2).trimmed().toLongLong(&seenOk)};
        if (firstOk && lastOk && seenOk && gap.first > 0 && gap.first <= gap.last)
            gaps.push_back(gap);
    }
    std::sort(gaps.begin(), gaps.end(), [](const ActivityGap& a, const ActivityGap& b) { return a.first < b.first; });
    return gaps;
}

QString formatGaps(const std::vector<ActivityGap>& gaps)
{
    QString text;
    for (const ActivityGap& gap : gaps)
        text += QString::number(gap.first) + QLatin1Char('|') + QString::number(gap.last) + QLatin1Char('|') + QString::number(gap.seen)
            + QLatin1Char(';');
    return text;
}

// Takes `id` out of the gap that holds it; false when no gap holds it.
bool fillGap(std::vector<ActivityGap>& gaps, qint64 id)
{
    for (auto it = gaps.begin(); it != gaps.end(); ++it) {
        if (id < it->first || id > it->last)
            continue;
        if (it->first == it->last) {
            gaps.erase(it);
        } else if (id == it->first) {
            ++it->first;
        } else if (id == it->last) {
            --it->last;
        } else {
            const ActivityGap upper{id + 1, it->last, it->seen};
            it->last = id - 1;
            gaps.insert(it + 1, upper);
        }
        return true;
    }
    return false;
}

QString describeGap(const ActivityGap& gap)
{
    return gap.first == gap.last ? QStringLiteral("Activity id %1").arg(gap.first) : QStringLiteral("Activity ids %1 to %2").arg(gap.first).arg(gap.last);
}

// "id|count;" for each change that failed on the runs before.
QMap<qlonglong, int> parseRetries(const QString& text)
{
    QMap<qlonglong, int> retries;
    for (const QString& entry : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char('|'));
        bool idOk = false;
        bool countOk = false;
        const qlonglong id = parts.value(0).trimmed().toLongLong(&idOk);
        const int count = parts.value(1).trimmed().toInt(&countOk);
        if (idOk && countOk && count > 0)
            retries.insert(id, count);
    }
    return retries;
}

QString formatRetries(const QMap<qlonglong, int>& retries)
{
    QString text;
    for (auto it = retries.begin(); it != retries.end(); ++it)
        text += QString::number(it.key()) + QLatin1Char('|') + QString::number(it.value()) + QLatin1Char(';');
    return text;
}

QString formatSetAside(const std::vector<MasterUpload::SetAsideRow>& rows)
{
    QString text;
    for (const MasterUpload::SetAsideRow& row : rows)
        text += QString::number(row.activityId) + QLatin1Char('|') + row.table + QLatin1Char('|') + QString::number(row.key)
            + QLatin1Char('|') + fileSafe(row.reason) + QLatin1Char('|') + QString::number(row.tries) + QLatin1Char(';');
    return text;
}

QString describe(qlonglong id, const QString& table, qlonglong key)
{
    return QStringLiteral("Change %1 of %2 (key %3)").arg(id).arg(table).arg(key);
}

} // namespace

MasterUpload::MasterUpload(db::Connection& source, db::Connection& destination, report::Reporter& reporter, QString loopSettingsPath, ReplayMemory* memory)
    : m_source(source)
    , m_destination(destination)
    , m_reporter(reporter)
    , m_loopSettingsPath(std::move(loopSettingsPath))
    , m_memory(memory ? *memory : m_ownMemory)
{
}

QString MasterUpload::lastActivityQuery()
{
    return QStringLiteral("SELECT ISNULL(MAX(ID),0) AS LastID From tblActivity");
}

QString MasterUpload::activityQuery(qint64 mark)
{
    return QStringLiteral(" SELECT   ID, TableName, tblUniqueID, Action, Active, DateofAction From tblActivity where ISNULL(pARENTid,0)=0 AND id>")
        + QString::number(mark) + QStringLiteral(" ORDER BY ID ");
}

QString MasterUpload::activityIdsQuery(qint64 from, qint64 top)
{
    return QStringLiteral("SELECT ID From tblActivity where ID>") + QString::number(from) + QStringLiteral(" AND ID<=") + QString::number(top)
        + QStringLiteral(" ORDER BY ID");
}

QString MasterUpload::gapQuery(const std::vector<ActivityGap>& gaps)
{
    QStringList ranges;
    for (const ActivityGap& gap : gaps)
        ranges << QStringLiteral("ID between %1 and %2").arg(gap.first).arg(gap.last);
    return QStringLiteral(" SELECT   ID, TableName, tblUniqueID, Action, ISNULL(pARENTid,0) AS ParentId From tblActivity where ")
        + ranges.join(QStringLiteral(" or ")) + QStringLiteral(" ORDER BY ID ");
}

std::optional<MasterUpload::KeyColumn> MasterUpload::keyColumn(const QString& table)
{
    for (const KnownTable& known : knownTables) {
        if (table == QLatin1String(known.table))
            return KeyColumn{QLatin1String(known.column), table == QLatin1String("tblGodown")};
    }
    return std::nullopt;
}

void MasterUpload::notice(const QString& text)
{
    if (text.trimmed().isEmpty())
        return;
    m_rowMessages << text;
    m_reporter.log(QStringLiteral("masters uploading Notice"), text);
    m_reporter.balloon(text);
}

QString MasterUpload::readLoop(const QString& key, const QString& defaultValue)
{
    try {
        return report::IniSetting::read(m_loopSettingsPath, key, defaultValue);
    } catch (const report::FileError& e) {
        notice(e.message());
        return QString();
    }
}

void MasterUpload::writeLoop(const QString& key, const QString& value)
{
    try {
        report::IniSetting::write(m_loopSettingsPath, key, value);
    } catch (const report::FileError& e) {
        notice(e.message());
    }
}

std::vector<MasterUpload::SetAsideRow> MasterUpload::setAside() const
{
    std::vector<SetAsideRow> rows;
    QString text;
    try {
        text = report::IniSetting::read(m_loopSettingsPath, setAsideKey, QString());
    } catch (const report::FileError&) {
        // The run that reads the file says why it cannot.
    }
    for (const QString& entry : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char('|'));
        SetAsideRow row;
        bool idOk = false;
        bool keyOk = false;
        row.activityId = parts.value(0).trimmed().toLongLong(&idOk);
        row.table = parts.value(1).trimmed();
        row.key = parts.value(2).trimmed().toLongLong(&keyOk);
        row.reason = parts.value(3).trimmed();
        // Rows set aside before the count was kept failed at least the runs it takes.
        row.tries = std::max(parts.value(4).trimmed().toInt(), int(attemptsBeforeSettingAside));
        if (idOk && keyOk && keyColumn(row.table))
            rows.push_back(row);
    }
    return rows;
}

void MasterUpload::retrySetAside()
{
    std::vector<SetAsideRow> rows = setAside();
    if (rows.empty())
        return;
    for (auto it = rows.begin(); it != rows.end();) {
        // Brought to the head office's current row whatever the change was: later changes of the
        // same row have been replayed since, and the current row holds all of them.
        const Refusal refused = copyAgain(it->table, keyColumn(it->table)->column, it->key);
        if (refused) {
            // Counted for the Transfers page, with the latest reason.
            ++it->tries;
            it->reason = *refused;
            ++it;
            continue;
        }
        m_reporter.log(QStringLiteral("masters uploading Set Aside Applied"), describe(it->activityId, it->table, it->key));
        it = rows.erase(it);
    }
    // Written on every run that has rows set aside: each one's tries went up or it was applied.
    writeLoop(setAsideKey, formatSetAside(rows));
}

std::vector<ActivityGap> MasterUpload::gaps() const
{
    try {
        return parseGaps(report::IniSetting::read(m_loopSettingsPath, gapsKey, QString()));
    } catch (const report::FileError&) {
        // The run that reads the file says why it cannot.
        return {};
    }
}

void MasterUpload::sayIfBeyondLog(qint64 mark, qint64 top)
{
    if (top >= mark) {
        m_memory.beyondLogSaidFor = -1;
        return;
    }
    if (m_memory.beyondLogSaidFor == mark)
        return;
    m_memory.beyondLogSaidFor = mark;
    // A head office restored from a backup, or another head office: its new changes get ids the
    // mark has passed already, so none of them would ever be replayed.
    notice(QStringLiteral("The last head-office change replayed here is %1 (MaxActivityID in %3), but head office's activity log ends "
                          "at %2: no master change is replayed until its log passes %1. If head office was restored from a backup or "
                          "this branch now follows another head office, run Master Synchronisation, then set MaxActivityID to %2 in %3.")
               .arg(mark)
               .arg(top)
               .arg(m_loopSettingsPath));
}

void MasterUpload::addGaps(std::vector<ActivityGap>& gaps, qint64 from, qint64 top)
{
    // Every id from `from` up to `top` has been handed out; one not visible yet belongs to a
    // writer that has not committed (or rolled back). The ids come in order, so only the ranges
    // between them are kept, each minus what earlier gaps hold already (with their own age).
    const qint64 now = m_clock().toSecsSinceEpoch();
    std::vector<ActivityGap> found;
    auto missing = [&](qint64 first, qint64 last) {
        for (const ActivityGap& known : gaps) {
            if (first > last)
                return;
            if (known.last < first || known.first > last)
                continue;
            if (known.first > first)
                found.push_back(ActivityGap{first, known.first - 1, now});
            first = known.last + 1;
        }
        if (first <= last)
            found.push_back(ActivityGap{first, last, now});
    };
    // Mostly every id is there: counted on the server, the ids themselves are read only when not.
    db::Recordset counted = m_source.openRecordset(QStringLiteral("SELECT COUNT(DISTINCT ID) AS N From tblActivity where ID>")
                                                   + QString::number(from) + QStringLiteral(" AND ID<=") + QString::number(top));
    if (!counted.eof() && counted.field(0).value().toLongLong() == top - from)
        return;
    db::Recordset ids = m_source.openRecordset(activityIdsQuery(from, top));
    qint64 expected = from + 1;
    for (; !ids.eof(); ids.moveNext()) {
        const qint64 id = ids.field(0).value().toLongLong();
        if (id > expected)
            missing(expected, id - 1);
        expected = std::max(expected, id + 1);
    }
    if (expected <= top)
        missing(expected, top);
    for (const ActivityGap& gap : found)
        m_reporter.log(QStringLiteral("masters uploading Gap Seen"), describeGap(gap));
    gaps.insert(gaps.end(), found.begin(), found.end());
    std::sort(gaps.begin(), gaps.end(), [](const ActivityGap& a, const ActivityGap& b) { return a.first < b.first; });
}

bool MasterUpload::replayGaps(std::vector<ActivityGap>& gaps, std::vector<SetAsideRow>& aside, QSet<qlonglong>& asideIds)
{
    if (gaps.empty())
        return false;
    db::Recordset rows;
    try {
        rows = m_source.openRecordset(gapQuery(gaps));
    } catch (const std::exception& e) {
        m_reporter.log(errorTag, errorText(e));
        return false;
    }
    bool changed = false;
    for (; !rows.eof(); rows.moveNext()) {
        const qlonglong id = rows.field(QStringLiteral("ID")).value().toLongLong();
        if (!fillGap(gaps, id))
            continue;
        changed = true;
        if (rows.field(QStringLiteral("ParentId")).value().toLongLong() != 0 || asideIds.contains(id))
            continue;
        const QString table = rows.field(QStringLiteral("TableName")).text();
        const std::optional<KeyColumn> key = keyColumn(table);
        if (!key) {
            notice(table + QStringLiteral(" Excluded From Synch"));
            continue;
        }
        bool isNumber = false;
        const qlonglong uniqueId = rows.field(QStringLiteral("tblUniqueID")).text().toLongLong(&isNumber);
        if (key->passedOver || !isNumber)
            continue;
        // Changes after this one may have been replayed already: whatever its action, the branch's
        // row is brought to the head office's current row, which holds them all.
        m_reporter.log(QStringLiteral("masters uploading Late Change"), describe(id, table, uniqueId));
        const Refusal refused = copyAgain(table, key->column, uniqueId);
        if (refused) {
            const QString& reason = *refused;
            // The mark is past it already: kept where the next runs try it again until it applies.
            aside.push_back(SetAsideRow{id, table, uniqueId, reason, 1});
            asideIds.insert(id);
            writeLoop(setAsideKey, formatSetAside(aside));
            notice(describe(id, table, uniqueId) + QStringLiteral(" arrived late and failed; set aside: ") + reason);
        }
    }
    return changed;
}

void MasterUpload::expireGaps(std::vector<ActivityGap>& gaps)
{
    // A rolled-back insert leaves its id missing for ever. A head-office writer holds its
    // transaction for seconds, so a gap still open after a day (looked at on every tick of it,
    // and once more after a restart) is given up.
    const qint64 now = m_clock().toSecsSinceEpoch();
    std::vector<ActivityGap> kept;
    for (const ActivityGap& gap : gaps) {
        if (now - gap.seen > gapLifetimeSeconds)
            m_reporter.log(QStringLiteral("masters uploading Gap Given Up"), describeGap(gap) + QStringLiteral(" never appeared"));
        else
            kept.push_back(gap);
    }
    // A head office that rolls back many inserts must not make every tick's query longer.
    while (kept.size() > std::size_t(gapsKept)) {
        auto oldest = std::min_element(kept.begin(), kept.end(), [](const ActivityGap& a, const ActivityGap& b) {
            return a.seen != b.seen ? a.seen < b.seen : a.first < b.first;
        });
        m_reporter.log(QStringLiteral("masters uploading Gap Given Up"), describeGap(*oldest) + QStringLiteral(": too many gaps"));
        kept.erase(oldest);
    }
    gaps = std::move(kept);
}

qint32 MasterUpload::uploadMasters(qint32 mark)
{
    // The head office's log keeps every transaction row above the mark too, and the mark only moves
    // with master changes; so the query starts after what the run before examined, not at the mark.
    // A mark that is not the one the last run returned (set back, another company) reads from it.
    if (!m_memory.started || m_memory.lastMark != mark || m_memory.examined < mark)
        m_memory.examined = mark;
    m_memory.started = false;
    const qint64 from = m_memory.examined;
    db::Recordset rows;
    qint64 top = from;
    const QString gapsText = readLoop(gapsKey);
    std::vector<ActivityGap> gaps = parseGaps(gapsText);
    try {
        // The last activity id first: every row up to it is in the range the query below reads,
        // the transaction rows that it leaves out included.
        db::Recordset last = m_source.openRecordset(lastActivityQuery());
        m_reporter.log(QStringLiteral("masters uploading Qry Opened"), last.source());
        qint64 lastId = 0;
        if (!last.eof())
            lastId = last.field(0).value().toLongLong();
        sayIfBeyondLog(mark, lastId);
        top = std::max(top, lastId);
        // The ids before the rows: a change that commits in between is then both replayed and
        // kept as a gap (looked at again, harmlessly), never neither.
        if (top > from)
            addGaps(gaps, from, top);
        rows = m_source.openRecordset(activityQuery(from));
    } catch (const std::exception& e) {
        // Without the activity rows there is nothing to replay and no mark to move.
        m_reporter.log(QStringLiteral("masters uploading Qry Failed"), errorText(e));
        return mark;
    }
    m_reporter.log(QStringLiteral("masters uploading Qry Opened"), rows.source());

    // A mark in the file that no activity id can reach was read as 0 at start-up; replaying from
    // there would send the whole activity log again, so nothing runs until it is put right.
    const QString markText = readLoop(markKey, QStringLiteral("0"));
    bool fits = true;
    text::NumberText::leadingWhole(markText, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), &fits);
    if (!fits) {
        notice(QStringLiteral("%1=%2 in %3 is larger than any activity number; the master changes are not replayed until it is corrected.")
                   .arg(markKey, markText, m_loopSettingsPath));
        return mark;
    }

    retrySetAside();
    std::vector<SetAsideRow> aside = setAside();
    QSet<qlonglong> asideIds;
    for (const SetAsideRow& row : aside)
        asideIds.insert(row.activityId);
    replayGaps(gaps, aside, asideIds);
    const QString retriesText = readLoop(retriesKey);
    const QMap<qlonglong, int> retries = parseRetries(retriesText);
    QMap<qlonglong, int> stillFailing;

    qint32 newMark = mark;
    qint32 written = mark;
    QElapsedTimer sinceWrite;
    // Set once a change has failed: the mark stays before it, the rows after it are still replayed
    // and replayed again next time, which gives the same branch.
    bool held = false;
    qint64 examined = top;
    for (; !rows.eof(); rows.moveNext()) {
        const qlonglong id = rows.field(QStringLiteral("ID")).value().toLongLong();
        // Committed after the ids were read: the next run reads it with the ids around it.
        if (id > top)
            break;
        const QString table = rows.field(QStringLiteral("TableName")).text();
        const std::optional<KeyColumn> key = keyColumn(table);
        bool moveMark = true;
        if (key && key->passedOver) {
            moveMark = false;
        } else if (!key) {
            notice(table + QStringLiteral(" Excluded From Synch"));
        } else if (!asideIds.contains(id)) {
            // The key goes into the statements as a number, so a value that is not one is never sent.
            bool isNumber = false;
            const qlonglong uniqueId = rows.field(QStringLiteral("tblUniqueID")).text().toLongLong(&isNumber);
            Refusal refused;
            if (isNumber)
                refused = replay(table, key->column, uniqueId, rows.field(QStringLiteral("Action")).text());
            else
                m_reporter.log(errorTag, table + QStringLiteral(": no key in activity ") + rows.field(QStringLiteral("ID")).text());
            if (refused) {
                const QString& reason = *refused;
                const int attempts = retries.value(id) + 1;
                if (attempts >= attemptsBeforeSettingAside) {
                    // Kept in the file before the mark moves past it, so it is never lost.
                    aside.push_back(SetAsideRow{id, table, uniqueId, reason, attempts});
                    asideIds.insert(id);
                    writeLoop(setAsideKey, formatSetAside(aside));
                    notice(describe(id, table, uniqueId) + QStringLiteral(" set aside after %1 failed attempts: ").arg(attempts) + reason);
                } else {
                    stillFailing.insert(id, attempts);
                    m_reporter.log(errorTag, describe(id, table, uniqueId) + QStringLiteral(" failed (attempt %1), tried again next time: ").arg(attempts)
                                       + reason);
                    // The next run reads again from this change on, as it reads every change the
                    // mark has not passed.
                    if (!held)
                        examined = id - 1;
                    held = true;
                }
            }
        }
        if (moveMark && !held && id > newMark && id <= std::numeric_limits<qint32>::max()) {
            newMark = qint32(id);
            // Each write is synced to the disk (tens of milliseconds), so the mark is written at most
            // every second during a run and once at its end; a run cut short in between replays the
            // rows after the written mark again, which gives the same branch.
            if (!sinceWrite.isValid() || sinceWrite.elapsed() >= 1000) {
                writeLoop(markKey, QString::number(newMark));
                written = newMark;
                sinceWrite.start();
            }
        }
        if (!held)
            examined = std::max<qint64>(examined, id);
        m_reporter.progress(QStringLiteral("Update Masters Over"));
    }
    m_memory.examined = std::max<qint64>(examined, newMark);
    m_memory.lastMark = newMark;
    m_memory.started = true;
    if (newMark != written)
        writeLoop(markKey, QString::number(newMark));
    if (stillFailing != retries && !(stillFailing.isEmpty() && retriesText.isEmpty()))
        writeLoop(retriesKey, formatRetries(stillFailing));
    expireGaps(gaps);
    if (formatGaps(gaps) != gapsText)
        writeLoop(gapsKey, formatGaps(gaps));
    return newMark;
}

MasterUpload::Refusal MasterUpload::replay(const QString& table, const QString& keyColumn, qlonglong key, const QString& action)
{
    try {
        if (action == QLatin1String("Insert") || action == QLatin1String("Update"))
            return copyAgain(table, keyColumn, key);
        if (action == QLatin1String("Deleted"))
            return deleteRow(table, keyColumn, key);
    } catch (const std::exception& e) {
        m_reporter.log(errorTag, errorText(e));
        return errorText(e);
    }
    return std::nullopt;
}

MasterUpload::Refusal MasterUpload::deleteRow(const QString& table, const QString& keyColumn, qlonglong key)
{
    try {
        m_destination.execute(QStringLiteral("Delete from ") + table + QStringLiteral(" where ") + keyColumn + QLatin1Char('=')
                              + QString::number(key));
    } catch (const std::exception& e) {
        m_reporter.log(errorTag, errorText(e));
        return errorText(e);
    }
    return std::nullopt;
}

MasterUpload::Refusal MasterUpload::copyAgain(const QString& table, const QString& keyColumn, qlonglong key)
{
    const QString keyText = QString::number(key);
    m_rowMessages.clear();
    try {
        // Delete and copy commit together: a copy that fails leaves the branch's old row in place.
        db::Transaction transaction(m_destination);
        try {
            m_destination.execute(QStringLiteral("Delete from ") + table + QStringLiteral(" where ") + keyColumn + QLatin1Char('=')
                                  + keyText);
        } catch (const std::exception& e) {
            // A delete the branch refuses (a reference to the row, a lock) leaves the old row.
            m_reporter.log(errorTag, errorText(e));
            m_reporter.log(errorTag, table + QStringLiteral(" ") + keyText + QStringLiteral(" kept as it was"));
            return errorText(e);
        }
        // Nobody waits to close a box: each row not written becomes a notice.
        replication::RowCopier copier(m_source, m_destination, m_reporter,
                                      [this](replication::RowRefusal, const QString& text) { notice(text); });
        replication::CopyOutcome outcome;
        try {
            outcome = copier.copy(table, QStringLiteral("SELECT  * from ") + table + QStringLiteral(" where  ") + keyColumn + QLatin1Char('=') + keyText);
        } catch (const std::exception& e) {
            notice(errorText(e));
            m_reporter.log(errorTag, table + QStringLiteral(" ") + keyText + QStringLiteral(" kept as it was"));
            return errorText(e);
        }
        // No source row any more is a success: the row was deleted at the head office since.
        if (outcome.failed == 0) {
            transaction.commit();
            return std::nullopt;
        }
        m_reporter.log(errorTag, table + QStringLiteral(" ") + keyText + QStringLiteral(" kept as it was"));
        return m_rowMessages.isEmpty() ? QStringLiteral("the row was not written") : m_rowMessages.first();
    } catch (const std::exception& e) {
        m_reporter.log(errorTag, errorText(e));
        return errorText(e);
    }
}

} // namespace upload
