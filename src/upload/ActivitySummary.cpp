#include "upload/ActivitySummary.h"

#include "db/Connection.h"
#include "db/Recordset.h"
#include "report/GridControl.h"
#include "report/Reporter.h"
#include "upload/MasterUpload.h"

#include <QDateTime>

#include <algorithm>
#include <tuple>

namespace upload {

namespace {

QString withoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

} // namespace

bool ActivitySummary::Key::operator<(const Key& other) const
{
    return std::tie(tableNull, table, dateNull, year, month, day)
        < std::tie(other.tableNull, other.table, other.dateNull, other.year, other.month, other.day);
}

QString ActivitySummary::gridFormat()
{
    return QStringLiteral("Updations | TableName | Date ");
}

std::optional<qint64> ActivitySummary::summarisedId() const
{
    if (!m_started)
        return std::nullopt;
    return m_summarised;
}

qint64 ActivitySummary::waitingChanges() const
{
    // Counting them on the head office would read every transaction row above a mark that only
    // master changes move; the counts are here per table already.
    qint64 waiting = 0;
    for (const auto& [key, counts] : m_groups) {
        const std::optional<MasterUpload::KeyColumn> column = MasterUpload::keyColumn(counts.table);
        if (column && !column->passedOver)
            waiting += counts.updations;
    }
    return waiting;
}

void ActivitySummary::restart()
{
    m_started = false;
    m_base = 0;
    m_summarised = 0;
    m_groups.clear();
}

QString ActivitySummary::rangeQuery(qint64 above, std::optional<qint64> upTo)
{
    // Grouped by the stored date rather than by DAY(), MONTH() and YEAR() of it: the triggers
    // write every date at midnight, so the groups are the same days, and the head office does
    // not take each row's date apart (on the embedded engine over ten times the work of the count).
    // Dates with a time of day would only give more groups, which are added up per day here.
    // COUNT(*) and MAX(ID) tell which groups still hold rows and how far the counts reach.
    QString sql = QStringLiteral(" SELECT  COUNT(tblUniqueID) AS Updations, COUNT(*) AS Activities, MAX(ID) AS LastID, TableName, "
                                 "DateofAction From tblActivity where ID>")
        + QString::number(above);
    if (upTo)
        sql += QStringLiteral(" AND ID<=") + QString::number(*upTo);
    return sql + QStringLiteral(" GROUP BY TableName, DateofAction ");
}

qint64 ActivitySummary::merge(db::Recordset& rows, int sign, Groups& groups)
{
    qint64 last = 0;
    for (; !rows.eof(); rows.moveNext()) {
        const db::Field table = rows.field(QStringLiteral("TableName"));
        const db::Field date = rows.field(QStringLiteral("DateofAction"));
        Key key;
        key.tableNull = table.isNull();
        key.table = withoutTrailingBlanks(table.text()).toCaseFolded();
        key.dateNull = date.isNull();
        if (!key.dateNull) {
            const QDate day = date.value().toDateTime().date();
            key.day = day.day();
            key.month = day.month();
            key.year = day.year();
        }
        const qint64 activities = rows.field(QStringLiteral("Activities")).value().toLongLong();
        m_rowsRead += activities;
        last = std::max(last, rows.field(QStringLiteral("LastID")).value().toLongLong());

        auto [at, added] = groups.try_emplace(key);
        Counts& counts = at->second;
        if (added)
            counts.table = table.text();
        counts.updations += sign * rows.field(QStringLiteral("Updations")).value().toLongLong();
        counts.activities += sign * activities;
        // Rows that leave the counts were counted when they came, so a group only runs dry here;
        // the guard keeps a log changed behind the program's back from showing negative counts.
        if (counts.activities <= 0)
            groups.erase(at);
        else
            counts.updations = std::max<qint64>(counts.updations, 0);
    }
    return last;
}

qint64 ActivitySummary::readRange(db::Connection& source, report::Reporter& reporter, qint64 above, std::optional<qint64> upTo,
                                  int sign, Groups& groups)
{
    db::Recordset rows = source.openRecordset(rangeQuery(above, upTo));
    reporter.log(QStringLiteral("Query Opened"), rows.source());
    return merge(rows, sign, groups);
}

void ActivitySummary::fill(db::Connection& source, report::Reporter& reporter, qint32 mark)
{
    m_rowsRead = 0;
    // Worked on a copy, so that a failing statement leaves the counts as they were.
    Groups groups = m_started ? m_groups : Groups();
    qint64 base = m_started ? m_base : mark;
    qint64 summarised = m_started ? m_summarised : mark;

    if (mark > base) {
        if (mark >= summarised) {
            // Every counted row is at or below the new mark: nothing is left to count, nothing to ask.
            groups.clear();
            summarised = mark;
        } else {
            readRange(source, reporter, base, mark, -1, groups);
        }
    } else if (mark < base) {
        // A mark set back: the rows between it and the old one count again.
        readRange(source, reporter, mark, base, 1, groups);
    }
    base = mark;
    summarised = std::max(summarised, readRange(source, reporter, summarised, std::nullopt, 1, groups));

    m_groups = std::move(groups);
    m_base = base;
    m_summarised = summarised;
    m_started = true;
    for (const QString& row : rows())
        reporter.log(QStringLiteral("Looping query "), row);
}

QStringList ActivitySummary::rows() const
{
    QStringList all;
    const QString tab = QStringLiteral("\t");
    for (const auto& [key, counts] : m_groups) {
        const QString day = key.dateNull ? QStringLiteral("//")
                                         : QString::number(key.day) + QLatin1Char('/') + QString::number(key.month) + QLatin1Char('/')
                + QString::number(key.year);
        all << QString::number(counts.updations) + tab + counts.table + tab + day;
    }
    return all;
}

void ActivitySummary::show(const QStringList& rows, report::GridControl& grid)
{
    grid.reset(gridFormat());
    for (const QString& row : rows)
        grid.addRow(row);
}

} // namespace upload
