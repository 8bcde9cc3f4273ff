#include "db/Backend.h"
#include "db/DbError.h"

namespace db {

std::unique_ptr<Backend> openEmbeddedBackend(const ConnectionInfo&, const ConnectionContext&)
{
    throw DbError(QStringLiteral("The embedded engine is not built yet."));
}

} // namespace db
