#include "db/odbc/OdbcDiagnostics.h"

#include "db/odbc/OdbcText.h"

#include <QStringList>

namespace db::odbc {

namespace {

#ifndef Q_OS_WIN
// One record through the narrow call; false when there is none.
bool readNarrow(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT number, DiagnosticRecord& record)
{
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    std::vector<SQLCHAR> message(2048);
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(handleType, handle, number, state, &native, message.data(), SQLSMALLINT(message.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(message.size())) {
        // The text did not fit: ask again with room for all of it.
        message.assign(size_t(length) + 1, 0);
        rc = SQLGetDiagRec(handleType, handle, number, state, &native, message.data(), SQLSMALLINT(message.size()), &length);
    }
    if (!SQL_SUCCEEDED(rc))
        return false;
    record.sqlState = fromSqlChars(state, 5);
    record.nativeCode = int(native);
    record.text = fromSqlChars(message.data(), qMin<qsizetype>(length, qsizetype(message.size()) - 1));
    return true;
}
#endif

// One record through the wide call; lengths count UTF-16 units.
bool readWide(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT number, DiagnosticRecord& record)
{
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    std::vector<SQLWCHAR> message(2048);
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRecW(handleType, handle, number, state, &native, message.data(), SQLSMALLINT(message.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(message.size())) {
        message.assign(size_t(length) + 1, 0);
        rc = SQLGetDiagRecW(handleType, handle, number, state, &native, message.data(), SQLSMALLINT(message.size()), &length);
    }
    if (!SQL_SUCCEEDED(rc))
        return false;
    record.sqlState = fromSqlWChars(state, 5);
    record.nativeCode = int(native);
    record.text = fromSqlWChars(message.data(), qMin<qsizetype>(length, qsizetype(message.size()) - 1));
    return true;
}

} // namespace

std::vector<DiagnosticRecord> readDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, TextCalls calls)
{
    std::vector<DiagnosticRecord> records;
    if (handle == SQL_NULL_HANDLE)
        return records;
    for (SQLSMALLINT number = 1;; ++number) {
        DiagnosticRecord record;
#ifdef Q_OS_WIN
        Q_UNUSED(calls);
        const bool found = readWide(handleType, handle, number, record);
#else
        const bool found = calls == TextCalls::Wide ? readWide(handleType, handle, number, record)
                                                    : readNarrow(handleType, handle, number, record);
#endif
        if (!found)
            break;
        records.push_back(std::move(record));
    }
    return records;
}

QString withoutComponentTags(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char('[')) {
        const qsizetype close = text.indexOf(QLatin1Char(']'), i);
        // A tag is short and does not nest; anything else belongs to the message itself.
        if (close < 0 || close - i > 64 || text.mid(i + 1, close - i - 1).contains(QLatin1Char('[')))
            break;
        i = close + 1;
    }
    const QString rest = text.mid(i).trimmed();
    return rest.isEmpty() ? text.trimmed() : rest;
}

DbError errorFromDiagnostics(const std::vector<DiagnosticRecord>& records, const QString& fallback)
{
    if (records.empty())
        return DbError(fallback);
    QStringList texts;
    bool connectionLost = false;
    for (const DiagnosticRecord& record : records) {
        const QString text = withoutComponentTags(record.text);
        if (!text.isEmpty() && !texts.contains(text))
            texts << text;
        if (record.sqlState.startsWith(QLatin1String("08")))
            connectionLost = true;
    }
    QString message = texts.isEmpty() ? fallback : texts.join(QLatin1Char('\n'));
    if (connectionLost && !message.startsWith(QLatin1String("Connection failure")))
        message = QStringLiteral("Connection failure: ") + message;
    const QString state = records.front().sqlState.isEmpty() ? QStringLiteral("HY000") : records.front().sqlState;
    return DbError(message, state, records.front().nativeCode);
}

void checkResult(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* what, TextCalls calls)
{
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA)
        return;
    throw errorFromDiagnostics(readDiagnostics(handleType, handle, calls),
                               QStringLiteral("The ODBC driver failed to %1 (return code %2).")
                                   .arg(QLatin1String(what))
                                   .arg(int(rc)));
}

} // namespace db::odbc
