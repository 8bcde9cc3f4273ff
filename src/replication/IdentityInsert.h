#pragma once

#include <QString>
#include <QStringList>

namespace db {
class Connection;
}

namespace replication {

/// Lets a copy write the keys it brings into a table whose key is an IDENTITY column: SET
/// IDENTITY_INSERT ON for the table while the guard lives, in the same session, OFF again after.
class IdentityInsert {
public:
    /// The identity column among `columns` of `table` on `connection`, as the catalog says; empty
    /// when none of them is one. Throws DbError.
    static QString identityColumn(db::Connection& connection, const QString& table, const QStringList& columns);

    /// Switches IDENTITY_INSERT on for `table` when `needed`; does nothing otherwise. Throws DbError.
    IdentityInsert(db::Connection& connection, const QString& table, bool needed);
    /// Switches it off again; a lost connection has already ended the setting.
    ~IdentityInsert();
    IdentityInsert(const IdentityInsert&) = delete;
    IdentityInsert& operator=(const IdentityInsert&) = delete;

private:
    db::Connection& m_connection;
    QString m_table;
    bool m_on = false;
};

} // namespace replication
