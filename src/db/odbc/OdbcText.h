#pragma once

#include <QByteArray>
#include <QString>
#include "db/odbc/OdbcApi.h"

namespace db::odbc {

/// How text crosses the ODBC calls. Narrow: the "A" calls and SQL_C_CHAR with UTF-8 bytes, right
/// for a driver told to speak UTF-8 (FreeTDS with ClientCharset=UTF-8) or one without wide calls
/// (the SQLite driver). Wide: the "W" calls and SQL_C_WCHAR with UTF-16, which Microsoft's drivers
/// need: their narrow calls convert through the ANSI code page (on Windows) or the locale.
enum class TextCalls { Narrow, Wide };

/// The calls that text really goes through for `asked`: on Windows always the wide ones, since the
/// narrow ones there carry only the ANSI code page; elsewhere what was asked.
constexpr TextCalls effectiveTextCalls(TextCalls asked)
{
#ifdef Q_OS_WIN
    return asked == TextCalls::Narrow ? TextCalls::Wide : asked;
#else
    return asked;
#endif
}

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the wide ODBC calls must take UTF-16 units");

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

/// The UTF-16 units of `text`, zero-terminated, as the wide ODBC calls take them; `text` must
/// outlive the call.
inline SQLWCHAR* sqlWChars(QString& text)
{
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

/// `length` UTF-16 units at `text` as a QString.
inline QString fromSqlWChars(const SQLWCHAR* text, qsizetype length)
{
    if (!text || length <= 0)
        return QString();
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), length);
}

} // namespace db::odbc
