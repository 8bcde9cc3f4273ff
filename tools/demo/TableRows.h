#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace db {
class Connection;
}

namespace tools {

/// Rows for one table, each value already a T-SQL literal (see SqlLiteral).
struct TableRows {
    /// The table the rows go into.
    QString table;
    /// The columns named in each INSERT, in the order of the values.
    QStringList columns;
    /// One list of literals per row.
    QList<QStringList> rows;

    /// Adds a row; it must hold one literal per column.
    void add(const QStringList& values) { rows.append(values); }

    /// Inserts every row, one INSERT per row, inside one transaction on `connection`, so that a
    /// failure leaves the table as it was. Returns the number of rows. Throws db::DbError.
    qsizetype insertInto(db::Connection& connection) const;
};

} // namespace tools
