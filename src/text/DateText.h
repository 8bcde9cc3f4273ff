#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace text {

/// Every date text of the program: what is written into SQL, shown, logged and read back.
/// Month names are always the English abbreviations, whatever the machine's locale.
namespace DateText {

/// "2026-12-05": a date as grids show it.
QString dashedDate(const QDate& date);
/// "20261205": a date inside SQL text, read the same under every language and DATEFORMAT.
QString sqlDate(const QDate& date);
/// "2026-12-05T10:30:00.123": a date and time inside SQL text (ISO 8601, read the same under every
/// language and DATEFORMAT, milliseconds kept).
QString sqlDateTime(const QDateTime& dateTime);
/// "2026-12-05 10:30:00", or "2026-12-05 10:30:00.123" when there are milliseconds: how the embedded
/// engine stores a date-time (one sortable text per value) and how a date-time value reads as text.
QString storedDateTime(const QDateTime& dateTime);
/// "05/Dec/2026": the day, the English month abbreviation and the year, separated by "/".
QString dayMonthYear(const QDate& date);
/// "10:30:00 AM": a time of day with AM/PM.
QString timeAmPm(const QTime& time);
/// "10:30": the hour (0-23) and minute, for a time of today in a status text.
QString hoursMinutes(const QTime& time);
/// "05/Dec/2026 10:30:00 AM": the human form used in log entries and status texts.
QString human(const QDateTime& dateTime);
/// "Dec": the English month abbreviation.
QString monthAbbreviation(const QDate& date);
/// "05122026": the name part of a daily log file.
QString logFileStem(const QDate& date);

/// Reads the date forms the program and the servers write: "2026-12-05", "20261205", "2026-12-05 10:30:00",
/// "2026-12-05T10:30:00", "2026-12-05 10:30:00.123", "05/Dec/2026" and "05/Dec/2026 10:30:00"
/// (month names in any letter case). Returns an invalid QDateTime for anything else.
QDateTime parse(const QString& text);

} // namespace DateText
} // namespace text
