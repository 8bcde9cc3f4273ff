#pragma once

#include "db/DbError.h"
#include "db/odbc/OdbcText.h"

#include <QString>
#include "db/odbc/OdbcApi.h"
#include <vector>

namespace db::odbc {

/// One diagnostic record of an ODBC handle.
struct DiagnosticRecord {
    QString sqlState;
    int nativeCode = 0;
    QString text;
};

/// Every diagnostic record that the last call on `handle` left, in the driver's order, read through
/// the narrow or the wide call as the session's text goes.
std::vector<DiagnosticRecord> readDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, TextCalls calls = TextCalls::Narrow);

/// The error that `records` describe: their texts (without the "[vendor][driver]" tags) one per
/// line, the SQLSTATE and native code of the first record, "Connection failure: " in front when any
/// record has an 08xxx SQLSTATE. `fallback` is the message when there are no records.
DbError errorFromDiagnostics(const std::vector<DiagnosticRecord>& records, const QString& fallback);

/// `text` without the leading "[unixODBC][FreeTDS][SQL Server]" style component tags.
QString withoutComponentTags(const QString& text);

/// Throws the error of `handle`'s diagnostics when `rc` is a failure; `what` names the failed step.
void checkResult(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* what, TextCalls calls = TextCalls::Narrow);

} // namespace db::odbc
