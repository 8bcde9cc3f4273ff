#include "db/Transaction.h"

#include "db/Connection.h"
#include "db/DbError.h"

#include <exception>

namespace db {

Transaction::Transaction(Connection& connection)
    : m_connection(connection)
{
    m_connection.beginTrans();
    m_active = true;
}

Transaction::~Transaction()
{
    if (!m_active)
        return;
    try {
        if (m_connection.inTransaction())
            m_connection.rollbackTrans();
    } catch (const std::exception&) {
        // A lost connection has rolled back already; nothing else can be done here.
    }
}

void Transaction::commit()
{
    m_connection.commitTrans();
    m_active = false;
}

void Transaction::rollback()
{
    m_active = false;
    m_connection.rollbackTrans();
}

} // namespace db
