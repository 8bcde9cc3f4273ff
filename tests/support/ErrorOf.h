#pragma once

#include "db/DbError.h"

namespace support {

/// The DbError that `action` throws; one with the message "<no error>" when it throws none.
template <typename Action>
db::DbError errorOf(Action action)
{
    try {
        action();
    } catch (const db::DbError& error) {
        return error;
    }
    return db::DbError(QStringLiteral("<no error>"), QStringLiteral("00000"), 0);
}

} // namespace support
