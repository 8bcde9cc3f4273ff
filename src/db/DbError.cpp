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

bool DbError::isEnvironmentFailure() const
{
    switch (m_nativeCode) {
    case 207:  // invalid column name
    case 208:  // invalid object name
    case 911:  // database does not exist
    case 945:  // database cannot be opened
    case 1101: // no new page for the database: its filegroup is full
    case 1105: // filegroup full
    case 4060: // cannot open the database of the login
    case 9002: // transaction log full
        return true;
    default:
        return isConnectionFailure();
    }
}

} // namespace db
