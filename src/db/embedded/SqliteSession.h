#pragma once

#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/embedded/StatementCounter.h"

#include <QElapsedTimer>
#include <QString>
#include <QVariant>
#include <vector>

struct sqlite3;

namespace db::embedded {

/// One SQLite connection with the engine's settings and functions, and SQL Server's error wording.
class SqliteSession {
public:
    enum class OpenMode { ExistingOnly, CreateIfMissing };

    /// Opens `path` (WAL, synchronous NORMAL, no foreign keys, functions registered); `catalog`
    /// names the database in messages. Throws DbError.
    SqliteSession(const QString& path, const QString& catalog, OpenMode mode);
    ~SqliteSession();
    SqliteSession(const SqliteSession&) = delete;
    SqliteSession& operator=(const SqliteSession&) = delete;

    /// Seconds a statement may run (0: no limit); lock waits follow it.
    void setTimeoutSeconds(int seconds);
    /// Marks the start of a top-level statement: a new statement number and a fresh time limit.
    void startStatement();
    /// Checks that the database file is still the one opened (same device and inode, on Windows the
    /// same volume and file index); throws a
    /// DbError naming the file and the database when it was removed or replaced since, because
    /// work sent on would land in a file nobody can open again.
    void checkFile() const;
    /// Runs SQLite text (one or more statements); fills `result` from the first statement that
    /// has columns when `result` is given; returns the rows changed by the last statement. Throws DbError.
    long long run(const QString& sql, ResultData* result = nullptr, const std::vector<QVariant>& parameters = {});
    /// The first column of the first row of `sql`, invalid when there is none. Throws DbError.
    QVariant scalar(const QString& sql, const std::vector<QVariant>& parameters = {});
    /// How many columns the single statement `sql` gives, without running it. Throws DbError.
    int columnCount(const QString& sql);
    /// True when no transaction is open.
    bool autocommit() const;
    sqlite3* handle() const { return m_db; }

private:
    DbError errorFor(int code, const QString& sql) const;
    static int progress(void* self);

    sqlite3* m_db = nullptr;
    QString m_path;
    QString m_catalog;
    unsigned long long m_device = 0;
    unsigned long long m_inode = 0;
    StatementCounter m_counter;
    QElapsedTimer m_clock;
    qint64 m_limitMs = 0;
};

/// Makes the statements run while it lives one unit, whole or not at all: inside an open transaction
/// a savepoint; outside one a transaction of its own (Immediate: BEGIN IMMEDIATE, which waits for
/// the write lock at once; Deferred: a savepoint, which takes it at the first write). Undone when
/// destroyed without commit().
class SqliteUnit {
public:
    enum class Lock { Immediate, Deferred };
    /// Begins the unit. Throws DbError.
    SqliteUnit(SqliteSession& session, Lock lock);
    ~SqliteUnit();
    SqliteUnit(const SqliteUnit&) = delete;
    SqliteUnit& operator=(const SqliteUnit&) = delete;
    /// Keeps what the unit did. Throws DbError (the unit is then undone when destroyed).
    void commit();

private:
    SqliteSession& m_session;
    bool m_transaction = false; ///< a BEGIN of its own, not a savepoint
    bool m_open = false;
};

} // namespace db::embedded
