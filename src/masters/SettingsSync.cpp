#include "masters/SettingsSync.h"

#include "masters/FullSync.h"
#include "replication/RowCopier.h"

#include "db/Connection.h"
#include "db/Transaction.h"
#include "report/Reporter.h"

namespace masters {

SettingsSync::SettingsSync(db::Connection& destination, db::Connection& source, report::Reporter& reporter,
                           report::Prompter& prompter)
    : m_destination(destination)
    , m_source(source)
    , m_reporter(reporter)
    , m_prompter(prompter)
{
}

void SettingsSync::replace(const char* deleteStatement, const char* table, const char* query)
{
    // A lost connection in the middle leaves the table as it was, not half empty.
    db::Transaction transaction(m_destination);
    m_destination.execute(QString::fromLatin1(deleteStatement));
    replication::RowCopier(m_source, m_destination, m_reporter, FullSync::toldToOperator(m_reporter, m_prompter))
        .copy(QString::fromLatin1(table), QString::fromLatin1(query));
    transaction.commit();
}

bool SettingsSync::run()
{
    try {
        replace("Delete from tblAppSettings", "tblAppSettings", "SELECT KeyName,ValueName  FROM tblAppSettings ");
        replace("Delete from tblVchType", "tblVchType", "");
        m_reporter.progress(QStringLiteral("Done"));
        m_reporter.status(QString());
        return true;
    } catch (const std::exception& e) {
        m_reporter.balloon(QString::fromStdString(e.what()));
        return false;
    }
}

} // namespace masters
