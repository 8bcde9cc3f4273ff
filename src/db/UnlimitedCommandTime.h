#pragma once

#include "db/Connection.h"

#include <exception>

namespace db {

/// Lifts a connection's command timeout for the statements that may run as long as they need
/// (reads across the linked server), and gives the earlier timeout back when it ends, so that a
/// later statement blocked by a lock still fails with a message instead of freezing the window.
class UnlimitedCommandTime {
public:
    explicit UnlimitedCommandTime(Connection& connection)
        : m_connection(connection)
        , m_saved(connection.commandTimeout())
    {
        m_connection.setCommandTimeout(0);
    }
    ~UnlimitedCommandTime()
    {
        try {
            m_connection.setCommandTimeout(m_saved);
        } catch (const std::exception&) {
            // a lost session is reopened with the value it keeps
        }
    }
    UnlimitedCommandTime(const UnlimitedCommandTime&) = delete;
    UnlimitedCommandTime& operator=(const UnlimitedCommandTime&) = delete;

private:
    Connection& m_connection;
    int m_saved;
};

} // namespace db
