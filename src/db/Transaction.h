#pragma once

namespace db {

class Connection;

/// Begins a transaction on a connection and rolls it back when destroyed unless committed.
class Transaction {
public:
    /// Begins the transaction. Throws DbError.
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    /// Commits. Throws DbError (the transaction is then rolled back by the destructor).
    void commit();
    /// Rolls back now. Throws DbError.
    void rollback();
    bool isActive() const { return m_active; }

private:
    Connection& m_connection;
    bool m_active = false;
};

} // namespace db
