#include "masters/DatabaseUpdate.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "report/Prompter.h"

namespace masters {

DatabaseUpdate::DatabaseUpdate(db::Connection& destination, db::Connection& source, report::Prompter& prompter)
    : m_destination(destination)
    , m_source(source)
    , m_prompter(prompter)
{
}

QStringList DatabaseUpdate::statements()
{
    return {
        QStringLiteral("Alter table TblSales Add SyncStat Numeric"),
        QStringLiteral("Alter table TblPurchase Add SyncStat Numeric"),
        QStringLiteral("Alter table TblSales Add ServInvID Numeric"),
        QStringLiteral("Alter table TblPurchase Add ServInvID Numeric"),
    };
}

QString DatabaseUpdate::explain(const db::DbError& e)
{
    // Nothing is copied or compared until the columns are there, and the page that adds them is
    // hidden until the Insert key opens it.
    const bool missingColumn = e.nativeCode() == 207
        && (e.message().contains(QLatin1String("ServInvID"), Qt::CaseInsensitive)
            || e.message().contains(QLatin1String("SyncStat"), Qt::CaseInsensitive));
    if (!missingColumn)
        return e.message();
    return e.message()
        + QStringLiteral(" Run Update Database once (Tech Control Panel, opened with the Insert key): it adds SyncStat and ServInvID "
                         "to both companies.");
}

DatabaseUpdateOutcome DatabaseUpdate::run()
{
    // Column names in each table must be unique: the column is there already.
    constexpr int columnThere = 2705;
    DatabaseUpdateOutcome outcome;
    for (const QString& statement : statements()) {
        for (db::Connection* connection : {&m_destination, &m_source}) {
            try {
                connection->execute(statement);
            } catch (const db::DbError& e) {
                // Only a column already there lets the update be repeated safely; anything else
                // (a lost connection above all) fails every statement after it as well.
                if (e.nativeCode() == columnThere) {
                    ++outcome.alreadyThere;
                    continue;
                }
                m_prompter.tell(report::PromptIcon::Critical, QStringLiteral("The database was not updated: ") + e.message());
                return outcome;
            }
        }
    }
    outcome.completed = true;
    m_prompter.tell(report::PromptIcon::None, QStringLiteral("Database Updated."));
    return outcome;
}

} // namespace masters
