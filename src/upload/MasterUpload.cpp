#include "upload/MasterUpload.h"

#include "db/Connection.h"
#include "text/NumberText.h"
#include "db/Transaction.h"
#include "replication/RowCopier.h"
#include "report/IniSetting.h"
#include "report/TextFile.h"
#include "report/Prompter.h"
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

// The row copy's notifications and boxes, turned into notices: nobody is there to close a box.
class UnattendedReporter : public report::Reporter {
public:
    UnattendedReporter(report::Reporter& target, std::function<void(const QString&)> notice)
        : m_target(target)
        , m_notice(std::move(notice))
    {
    }
    void status(const QString& text) override { m_target.status(text); }
    void progress(const QString& text) override { m_target.progress(text); }
    void log(const QString& tag, const QString& text) override { m_target.log(tag, text); }
    void processEvents() override { m_target.processEvents(); }
    void progressRange(const QString& name, qint64 done, qint64 total) override { m_target.progressRange(name, done, total); }

protected:
    void showBalloon(const QString& text) override { m_notice(text); }

private:
    report::Reporter& m_target;
    std::function<void(const QString&)> m_notice;
};

class UnattendedPrompter : public report::Prompter {
public:
    explicit UnattendedPrompter(std::function<void(const QString&)> notice)
        : m_notice(std::move(notice))
    {
    }
    report::PromptAnswer ask(const report::Prompt& prompt) override
    {
        m_notice(prompt.text);
        return prompt.defaultAnswer;
    }

private:
    std::function<void(const QString&)> m_notice;
};

const QString markKey = QStringLiteral("MaxActivityID");
const QString retriesKey = QStringLiteral("MasterRetries");
const QString setAsideKey = QStringLiteral("MasterSetAside");

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

MasterUpload::MasterUpload(db::Connection& source, db::Connection& destination, report::Reporter& reporter, report::Prompter&,
                           QString loopSettingsPath, ReplayMemory* memory)
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
    m_notices << text;
    m_rowMessages << text;
    // Every tick would show the same failure again; the operator sees it once and the log keeps it.
    if (m_memory.shown.contains(text))
        return;
    m_memory.shown.insert(text);
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
        const QString reason = copyAgain(it->table, keyColumn(it->table)->column, it->key);
        if (!reason.isEmpty()) {
            // Counted for the Transfers page, with the latest reason.
            ++it->tries;
            it->reason = reason;
            ++it;
            continue;
        }
        m_reporter.log(QStringLiteral("masters uploading Set Aside Applied"), describe(it->activityId, it->table, it->key));
        it = rows.erase(it);
    }
    // Written on every run that has rows set aside: each one's tries went up or it was applied.
    writeLoop(setAsideKey, formatSetAside(rows));
}

qint32 MasterUpload::uploadMasters(qint32 mark)
{
    m_notices.clear();
    // The head office's log keeps every transaction row above the mark too, and the mark only moves
    // with master changes; so the query starts after what the run before examined, not at the mark.
    // A mark that is not the one the last run returned (set back, another company) reads from it.
    if (!m_memory.started || m_memory.lastMark != mark || m_memory.examined < mark)
        m_memory.examined = mark;
    m_memory.started = false;
    const qint64 from = m_memory.examined;
    db::Recordset rows;
    qint64 top = from;
    try {
        // The last activity id first: every row up to it is in the range the query below reads,
        // the transaction rows that it leaves out included.
        db::Recordset last = m_source.openRecordset(lastActivityQuery());
        m_reporter.log(QStringLiteral("masters uploading Qry Opened"), last.source());
        if (!last.eof())
            top = std::max(top, last.field(0).value().toLongLong());
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
            QString reason;
            if (isNumber)
                reason = replay(table, key->column, uniqueId, rows.field(QStringLiteral("Action")).text());
            else
                m_reporter.log(errorTag, table + QStringLiteral(": no key in activity ") + rows.field(QStringLiteral("ID")).text());
            if (!reason.isEmpty()) {
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
    return newMark;
}

QString MasterUpload::replay(const QString& table, const QString& keyColumn, qlonglong key, const QString& action)
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
    return QString();
}

QString MasterUpload::deleteRow(const QString& table, const QString& keyColumn, qlonglong key)
{
    try {
        m_destination.execute(QStringLiteral("Delete from ") + table + QStringLiteral(" where ") + keyColumn + QLatin1Char('=')
                              + QString::number(key));
    } catch (const std::exception& e) {
        m_reporter.log(errorTag, errorText(e));
        return errorText(e);
    }
    return QString();
}

QString MasterUpload::copyAgain(const QString& table, const QString& keyColumn, qlonglong key)
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
        auto toNotice = [this](const QString& text) { notice(text); };
        UnattendedReporter reporter(m_reporter, toNotice);
        UnattendedPrompter prompter(toNotice);
        replication::RowCopier copier(m_source, m_destination, reporter, prompter);
        replication::CopyOutcome outcome;
        try {
            outcome = copier.copy(table, QString(),
                                  QStringLiteral("SELECT  * from ") + table + QStringLiteral(" where  ") + keyColumn + QLatin1Char('=') + keyText);
        } catch (const std::exception& e) {
            notice(errorText(e));
            m_reporter.log(errorTag, table + QStringLiteral(" ") + keyText + QStringLiteral(" kept as it was"));
            return errorText(e);
        }
        // No source row any more is a success: the row was deleted at the head office since.
        if (outcome.failed == 0) {
            transaction.commit();
            return QString();
        }
        m_reporter.log(errorTag, table + QStringLiteral(" ") + keyText + QStringLiteral(" kept as it was"));
        return m_rowMessages.isEmpty() ? QStringLiteral("the row was not written") : m_rowMessages.first();
    } catch (const std::exception& e) {
        m_reporter.log(errorTag, errorText(e));
        return errorText(e);
    }
}

} // namespace upload
