#pragma once

#include <QString>

namespace db {
class Connection;
}

namespace replication {

/// The next free key of a table on the destination connection (GetMaxID).
class NextId {
public:
    /// Reads `destination`.
    explicit NextId(db::Connection& destination);

    /// "Select max(column) + 1 as MAxid from table[ where condition]".
    static QString query(const QString& table, const QString& column, const QString& condition);

    /// The largest value of `column` plus 1, or 1 when the table (or the rows that `condition`
    /// selects) holds none. Throws db::DbError when the query fails; the caller tells the operator.
    long long next(const QString& table, const QString& column, const QString& condition = {});

private:
    db::Connection& m_destination;
};

} // namespace replication
