#include "tools/demo/TableRows.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Transaction.h"

namespace tools {

qsizetype TableRows::insertInto(db::Connection& connection) const
{
    if (rows.isEmpty())
        return 0;
    const QString head = QStringLiteral("INSERT INTO %1 (%2) VALUES (").arg(table, columns.join(QLatin1String(", ")));
    db::Transaction transaction(connection);
    for (const QStringList& row : rows) {
        if (row.size() != columns.size())
            throw db::DbError(QStringLiteral("A demo row for %1 has %2 values for %3 columns.")
                                  .arg(table)
                                  .arg(row.size())
                                  .arg(columns.size()));
        connection.execute(head + row.join(QLatin1String(", ")) + QLatin1Char(')'));
    }
    transaction.commit();
    return rows.size();
}

} // namespace tools
