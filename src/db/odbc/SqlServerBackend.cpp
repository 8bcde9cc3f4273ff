#include "db/Backend.h"
#include "db/DbError.h"

namespace db {

std::unique_ptr<Backend> openSqlServerBackend(const ConnectionInfo&, const ConnectionContext&)
{
    throw DbError(QStringLiteral("The SQL Server backend is not built yet."));
}

} // namespace db
