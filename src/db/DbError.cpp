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

bool DbError::isDiskFailure() const
{
    switch (m_nativeCode) {
    case 823:  // the operating system failed a read or write
    case 824:  // a page read back is not what was written
    case 1101: // no new page for the database: its filegroup is full
    case 1105: // filegroup full
    case 3906: // the database is read-only
    case 5120: // the physical file cannot be opened
    case 9002: // transaction log full
        return true;
    default:
        return false;
    }
}

bool DbError::isEnvironmentFailure() const
{
    if (isDiskFailure())
        return true;
    switch (m_nativeCode) {
    case 207:  // invalid column name
    case 208:  // invalid object name
    case 911:  // database does not exist
    case 945:  // database cannot be opened
    case 4060: // cannot open the database of the login
        return true;
    default:
        return isConnectionFailure();
    }
}

} // namespace db
