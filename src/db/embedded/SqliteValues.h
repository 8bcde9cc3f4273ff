#pragma once

#include "db/embedded/SqlFunctions.h"
#include "db/embedded/Utf8Text.h"

#include <QByteArray>
#include <QString>
#include <sqlite3.h>

namespace db::embedded {

/// Sets the result of a function the engine adds to SQLite to `text`.
inline void resultText(sqlite3_context* context, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(context, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

/// Fails the function the engine adds to SQLite with `message`.
inline void resultError(sqlite3_context* context, const QString& message)
{
    const QByteArray utf8 = message.toUtf8();
    sqlite3_result_error(context, utf8.constData(), int(utf8.size()));
}

/// A stored value as text, every character kept: numbers in their shortest decimal form, "" for NULL.
inline QString valueText(sqlite3_value* value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return QString::number(sqlite3_value_int64(value));
    case SQLITE_FLOAT:
        return SqlFunctions::shortestDecimal(sqlite3_value_double(value));
    case SQLITE_NULL:
        return QString();
    default:
        return utf8Text(reinterpret_cast<const char*>(sqlite3_value_text(value)), sqlite3_value_bytes(value));
    }
}

} // namespace db::embedded
