#pragma once

#include <QString>
#include <stdexcept>

namespace db {

/// An error reported by a database backend: the server's message, the SQLSTATE and the native code.
class DbError : public std::runtime_error {
public:
    DbError(const QString& message, const QString& sqlState = QStringLiteral("HY000"), int nativeCode = 0);

    /// The message as the server (or the connection layer) worded it.
    const QString& message() const { return m_message; }
    /// Five-character SQLSTATE ("23000", "42S02", "08001", ...).
    const QString& sqlState() const { return m_sqlState; }
    /// The server's own error number (2627 duplicate key, 208 invalid object, ...), 0 when none.
    int nativeCode() const { return m_nativeCode; }
    /// True for a duplicate key, which the row copy treats as "row not inserted".
    bool isDuplicateKey() const;
    /// True for a lost or refused connection (SQLSTATE class 08).
    bool isConnectionFailure() const;
    /// True when the failure is not the statement's own but its surroundings': a lost connection,
    /// a full disk or log, a database or table or column that is not there. Every further
    /// statement of the same work would fail the same way.
    bool isEnvironmentFailure() const;
    /// True when the disk under the database failed: an I/O error (823, 824), a read-only
    /// database or file (3906, 5120), a full disk, filegroup or log (1101, 1105, 9002). The
    /// embedded engine reports SQLite's I/O, read-only, corrupt and full errors under these numbers.
    bool isDiskFailure() const;

private:
    QString m_message;
    QString m_sqlState;
    int m_nativeCode;
};

} // namespace db
