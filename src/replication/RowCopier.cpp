#include "replication/RowCopier.h"

#include "replication/IdentityInsert.h"
#include "replication/ValueText.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "report/Prompter.h"
#include "report/ProgressSteps.h"
#include "report/Reporter.h"

#include <vector>

namespace replication {

namespace {
const QString insertTag = QStringLiteral("Insert Query");
}

RowCopier::RowCopier(db::Connection& from, db::Connection& to, report::Reporter& reporter, report::Prompter& prompter)
    : m_from(from)
    , m_to(to)
    , m_reporter(reporter)
    , m_prompter(prompter)
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

QString RowCopier::insertStatement(const QString& table, const QString& columnList, const db::Recordset& rows)
{
    QString sql;
    sql.reserve(64 + columnList.size() * 2);
    sql += QStringLiteral("Insert into ") + table + QStringLiteral(" (") + columnList + QStringLiteral(") values (");
    const int count = rows.fieldCount();
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            sql += QLatin1Char(',');
        sql += ValueText::of(rows.field(i));
    }
    sql += QLatin1Char(')');
    return sql;
}

void RowCopier::rowFailed(const QString& table)
{
    m_prompter.tell(report::PromptIcon::Critical, QStringLiteral("Failed to update ") + table);
    m_reporter.log(insertTag, QStringLiteral("Failed to update"));
}

CopyOutcome RowCopier::copy(const QString& table, const QString& /*condition*/, const QString& query)
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
            if (!e.isDuplicateKey())
                throw;
            m_reporter.balloon(e.message());
        }
        // -1 means the server did not say; the statement ran without an error.
        if (affected != 0) {
            ++outcome.inserted;
            m_reporter.log(insertTag, QStringLiteral("Updated Successfully"));
        } else {
            ++outcome.failed;
            rowFailed(shown);
        }
        rows.moveNext();
    }
    return outcome;
}

} // namespace replication
