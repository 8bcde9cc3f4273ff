#include "tools/demo/SqlLiteral.h"

#include "text/DateText.h"

#include <QDateTime>
#include <QTime>

namespace tools {

QString SqlLiteral::text(const QString& value)
{
    QString doubled = value;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString SqlLiteral::number(qint64 value)
{
    return QString::number(value);
}

QString SqlLiteral::money(qint64 hundredths)
{
    const qint64 magnitude = hundredths < 0 ? -hundredths : hundredths;
    return QStringLiteral("%1%2.%3")
        .arg(hundredths < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString SqlLiteral::bit(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString SqlLiteral::date(const QDate& value)
{
    return dateTime(QDateTime(value, QTime(0, 0)));
}

QString SqlLiteral::dateTime(const QDateTime& value)
{
    return QLatin1Char('\'') + text::DateText::sqlDateTime(value) + QLatin1Char('\'');
}

QString SqlLiteral::null()
{
    return QStringLiteral("NULL");
}

} // namespace tools
