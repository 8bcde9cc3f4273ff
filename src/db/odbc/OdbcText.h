#pragma once

#include <QByteArray>
#include <QString>
#include <sqltypes.h>

namespace db::odbc {

// Text goes through the narrow calls as UTF-8: the SQLite driver has no wide calls, FreeTDS is
// told ClientCharset=UTF-8, and Microsoft's drivers follow the (UTF-8) locale that Qt insists on.

/// The bytes of `utf8` as the narrow ODBC calls take them; `utf8` must outlive the call.
inline SQLCHAR* sqlChars(QByteArray& utf8)
{
    return reinterpret_cast<SQLCHAR*>(utf8.data());
}

/// `length` UTF-8 bytes at `text` as a QString.
inline QString fromSqlChars(const void* text, qsizetype length)
{
    if (!text || length <= 0)
        return QString();
    return QString::fromUtf8(static_cast<const char*>(text), length);
}

} // namespace db::odbc
