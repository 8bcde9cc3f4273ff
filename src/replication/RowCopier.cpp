#include "replication/RowCopier.h"

#include "replication/IdentityInsert.h"
#include "replication/ValueText.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "report/ProgressSteps.h"
#include "report/Reporter.h"

#include <vector>

namespace replication {

namespace {
const QString insertTag = QStringLiteral("Insert Query");
}

RowCopier::RowCopier(db::Connection& from, db::Connection& to, report::Reporter& reporter, RowFailed rowFailed)
    : m_from(from)
    , m_to(to)
    , m_reporter(reporter)
    , m_rowFailed(std::move(rowFailed))
{
}

QString RowCopier::columnList(const db::Recordset& rows)
{
    QString list;
    for (const db::Column& column : rows.columns()) {
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += column.name;
    }
    return list;
}

QString RowCopier::insertStatement(const QString& table, const QString& columnList, const QString& valueList)
{
    QString sql;
    sql.reserve(32 + table.size() + columnList.size() + valueList.size());
    sql += QStringLiteral("Insert into ") + table + QStringLiteral(" (") + columnList + QStringLiteral(") values (") + valueList;
    sql += QLatin1Char(')');
    return sql;
}

QString RowCopier::insertStatement(const QString& table, const QString& columnList, const db::Recordset& rows)
{
    QString values;
    values.reserve(columnList.size() * 2);
    const int count = rows.fieldCount();
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            values += QLatin1Char(',');
        values += ValueText::of(rows.field(i));
    }
    return insertStatement(table, columnList, values);
}

bool RowCopier::isValueRefused(const db::DbError& error)
{
    switch (error.nativeCode()) {
    case 220:  // arithmetic overflow for a data type (tinyint, smallint)
    case 232:  // arithmetic overflow for type int
    case 241:  // conversion failed for a date from text
    case 242:  // a date out of range
    case 244:  // a value overflows an int column
    case 245:  // text converted to int
    case 248:  // a value overflows an int column
    case 517:  // adding a value to a date overflowed it
    case 8114: // error converting to numeric
    case 8115: // arithmetic overflow converting to numeric
    case 8152: // string or binary data would be truncated
    case 2628: // the same, naming the column
        return true;
    default:
        return false;
    }
}

QString RowCopier::refusedColumn(const QString& table, const db::Recordset& rows)
{
    // The row is written again into a temporary table of the branch table's shape (the UNION ALL
    // keeps an identity property out), each time with one value as the copy sends a NULL (0, ' '),
    // which every column takes: the value whose replacement lets the row in is the refused one.
    const QString probe = QStringLiteral("#MirtaneProbe");
    const QString columns = columnList(rows);
    auto dropProbe = [&] {
        try {
            m_to.execute(QStringLiteral("DROP TABLE ") + probe);
        } catch (const db::DbError&) {
            // there was none
        }
    };
    dropProbe();
    QString found;
    try {
        m_to.execute(QStringLiteral("select * into ") + probe + QStringLiteral(" from ") + table + QStringLiteral(" where 1=0 union all select * from ")
                     + table + QStringLiteral(" where 1=0"));
        const int count = rows.fieldCount();
        for (int i = 0; i < count && found.isEmpty(); ++i) {
            if (rows.field(i).isNull())
                continue;
            QString values;
            for (int k = 0; k < count; ++k) {
                if (k > 0)
                    values += QLatin1Char(',');
                const db::Field field = rows.field(k);
                values += ValueText::of(k == i ? db::Field(db::Column{field.name(), field.typeCode()}, QVariant()) : field);
            }
            try {
                m_to.execute(insertStatement(probe, columns, values));
                found = rows.field(i).name();
            } catch (const db::DbError&) {
                // not this one alone
            }
        }
    } catch (const std::exception&) {
        // The probe cannot run here; the message names the row without its column.
    }
    dropProbe();
    return found;
}

void RowCopier::rowFailed(RowRefusal refusal, const QString& text)
{
    if (m_rowFailed)
        m_rowFailed(refusal, text);
    else if (refusal == RowRefusal::DuplicateKey)
        m_reporter.balloon(text);
}

CopyOutcome RowCopier::copy(const QString& table, const QString& query)
{
    CopyOutcome outcome;
    const QString shown = m_shownTable.isEmpty() ? table : m_shownTable;
    m_reporter.status(QStringLiteral("Migrating ") + shown);
    db::Recordset rows = m_from.openRecordset(query.isEmpty() ? QStringLiteral("Select * from ") + table : query);
    const QString columns = columnList(rows);
    // A key the source brings for an identity column is written as it is, as the server allows
    // only with IDENTITY_INSERT on.
    QStringList names;
    for (const db::Column& column : rows.columns())
        names << column.name;
    const IdentityInsert keys(m_to, table, !IdentityInsert::identityColumn(m_to, table, names).isEmpty());
    report::ProgressSteps bar(m_reporter, QStringLiteral("Copying ") + shown, rows.recordCount());
    while (!rows.eof()) {
        ++outcome.rows;
        bar.moveTo(outcome.rows);
        const QString sql = insertStatement(table, columns, rows);
        // Showing the statement lets the window handle its pending events, once per row.
        m_reporter.progress(sql);
        m_reporter.log(insertTag, sql);
        long long affected = 0;
        try {
            affected = m_to.execute(sql);
        } catch (const db::DbError& e) {
            // The server names the column, not the table it looked in.
            if (e.nativeCode() == 207 && !e.message().contains(table))
                throw db::DbError(e.message() + QStringLiteral(" (table %1)").arg(table), e.sqlState(), e.nativeCode());
            if (isValueRefused(e) && rows.fieldCount() > 0) {
                // The server names neither the row nor (mostly) the column: found here, so that the
                // operator can mend that one row at the head office.
                const db::Field key = rows.field(0);
                const QString column = refusedColumn(table, rows);
                QString where = shown + QLatin1Char(' ') + key.name() + QLatin1Char(' ') + key.text();
                if (!column.isEmpty())
                    where += QStringLiteral(", column ") + column + QStringLiteral(" (") + rows.field(column).text().left(60)
                        + QLatin1Char(')');
                throw db::DbError(where + QStringLiteral(": the branch cannot store this value: ") + e.message(), e.sqlState(),
                                  e.nativeCode());
            }
            if (!e.isDuplicateKey())
                throw;
            rowFailed(RowRefusal::DuplicateKey, e.message());
        }
        // -1 means the server did not say; the statement ran without an error.
        if (affected != 0) {
            ++outcome.inserted;
            m_reporter.log(insertTag, QStringLiteral("Updated Successfully"));
        } else {
            ++outcome.failed;
            rowFailed(RowRefusal::NotInserted, QStringLiteral("Failed to update ") + shown);
            m_reporter.log(insertTag, QStringLiteral("Failed to update"));
        }
        rows.moveNext();
    }
    return outcome;
}

} // namespace replication
