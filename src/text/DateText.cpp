#include "text/DateText.h"

#include <QRegularExpression>

namespace text::DateText {

namespace {
const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QString two(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

int monthFromName(const QString& name)
{
    for (int i = 0; i < 12; ++i) {
        if (name.compare(QLatin1String(months[i]), Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

QString timeOfDay(const QTime& t)
{
    return two(t.hour()) + QLatin1Char(':') + two(t.minute()) + QLatin1Char(':') + two(t.second());
}

QString milliseconds(const QTime& t)
{
    return QStringLiteral(".%1").arg(t.msec(), 3, 10, QLatin1Char('0'));
}
} // namespace

QString dashedDate(const QDate& date)
{
    return QStringLiteral("%1-%2-%3").arg(date.year(), 4, 10, QLatin1Char('0')).arg(two(date.month()), two(date.day()));
}

QString sqlDate(const QDate& date)
{
    return QStringLiteral("%1%2%3").arg(date.year(), 4, 10, QLatin1Char('0')).arg(two(date.month()), two(date.day()));
}

QString sqlDateTime(const QDateTime& dateTime)
{
    const QTime t = dateTime.time();
    return dashedDate(dateTime.date()) + QLatin1Char('T') + timeOfDay(t) + milliseconds(t);
}

QString storedDateTime(const QDateTime& dateTime)
{
    const QTime t = dateTime.time();
    return dashedDate(dateTime.date()) + QLatin1Char(' ') + timeOfDay(t) + (t.msec() != 0 ? milliseconds(t) : QString());
}

QString dayMonthYear(const QDate& date)
{
    return two(date.day()) + QLatin1Char('/') + monthAbbreviation(date) + QLatin1Char('/')
        + QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString hoursMinutes(const QTime& time)
{
    return two(time.hour()) + QLatin1Char(':') + two(time.minute());
}

QString timeAmPm(const QTime& time)
{
    int hour = time.hour() % 12;
    if (hour == 0)
        hour = 12;
    return two(hour) + QLatin1Char(':') + two(time.minute()) + QLatin1Char(':') + two(time.second())
        + (time.hour() < 12 ? QStringLiteral(" AM") : QStringLiteral(" PM"));
}

QString human(const QDateTime& dateTime)
{
    return dayMonthYear(dateTime.date()) + QLatin1Char(' ') + timeAmPm(dateTime.time());
}

QString monthAbbreviation(const QDate& date)
{
    if (!date.isValid())
        return QString();
    return QLatin1String(months[date.month() - 1]);
}

QString logFileStem(const QDate& date)
{
    return two(date.day()) + two(date.month()) + QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
}

QDateTime parse(const QString& text)
{
    static const QRegularExpression iso(QStringLiteral(
        R"(^\s*(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3})\d*)?)?)?\s*$)"));
    static const QRegularExpression compact(QStringLiteral(
        R"(^\s*(\d{4})(\d{2})(\d{2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3})\d*)?)?)?\s*$)"));
    static const QRegularExpression dmy(QStringLiteral(
        R"(^\s*(\d{1,2})[/-]([A-Za-z]{3})[/-](\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?(?:\s*([AaPp][Mm]))?)?\s*$)"));
    int y = 0, m = 0, d = 0, hh = 0, mm = 0, ss = 0, ms = 0;
    QRegularExpressionMatch match = iso.match(text);
    if (!match.hasMatch())
        match = compact.match(text);
    if (match.hasMatch()) {
        y = match.captured(1).toInt();
        m = match.captured(2).toInt();
        d = match.captured(3).toInt();
        hh = match.captured(4).toInt();
        mm = match.captured(5).toInt();
        ss = match.captured(6).toInt();
        if (!match.captured(7).isEmpty())
            ms = match.captured(7).leftJustified(3, QLatin1Char('0')).toInt();
    } else {
        match = dmy.match(text);
        if (!match.hasMatch())
            return QDateTime();
        d = match.captured(1).toInt();
        m = monthFromName(match.captured(2));
        y = match.captured(3).toInt();
        hh = match.captured(4).toInt();
        mm = match.captured(5).toInt();
        ss = match.captured(6).toInt();
        const QString ampm = match.captured(7).toUpper();
        if (ampm == QLatin1String("PM") && hh < 12)
            hh += 12;
        else if (ampm == QLatin1String("AM") && hh == 12)
            hh = 0;
    }
    const QDate date(y, m, d);
    const QTime time(hh, mm, ss, ms);
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

} // namespace text::DateText
