#include "db/DbError.h"

namespace db {

DbError::DbError(const QString& message, const QString& sqlState, int nativeCode)
    : std::runtime_error(message.toStdString())
    , m_message(message)
    , m_sqlState(sqlState)
    , m_nativeCode(nativeCode)
{
}

bool DbError::isDuplicateKey() const
{
    return m_message.contains(QLatin1String("Cannot insert duplicate key"));
}

bool DbError::isConnectionFailure() const
{
    return m_sqlState.startsWith(QLatin1String("08")) || m_message.contains(QLatin1String("Connection failure"));
}

} // namespace db
