#pragma once

#include <QString>

#include <optional>

namespace db {
class Connection;
}
namespace report {
class Prompter;
}

namespace replication {

/// The next free key of a table on the destination connection (GetMaxID).
class NextId {
public:
    /// Reads `destination`; failures are shown in a warning box through `prompter`.
    NextId(db::Connection& destination, report::Prompter& prompter);

    /// "Select max(column) + 1 as MAxid from table[ where condition]".
    static QString query(const QString& table, const QString& column, const QString& condition);

    /// The largest value of `column` plus 1, or 1 when the table (or the rows that `condition`
    /// selects) holds none; nothing (after a warning box) when the query fails.
    std::optional<long long> next(const QString& table, const QString& column, const QString& condition = {});
    /// The error text of the last failed next(), "" after a success.
    const QString& lastError() const { return m_lastError; }

private:
    db::Connection& m_destination;
    report::Prompter& m_prompter;
    QString m_lastError;
};

} // namespace replication
