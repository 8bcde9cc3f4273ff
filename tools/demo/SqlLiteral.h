#pragma once

#include <QDate>
#include <QString>

namespace tools {

/// Values written as T-SQL literals for the demo data's INSERT statements.
class SqlLiteral {
public:
    /// 'text' with every quote doubled.
    static QString text(const QString& value);
    /// A whole number.
    static QString number(qint64 value);
    /// An amount held in hundredths, written with two decimals ("1234.50", "-0.05").
    static QString money(qint64 hundredths);
    /// 1 or 0.
    static QString bit(bool value);
    /// 'yyyy-MM-dd 00:00:00'.
    static QString date(const QDate& value);
    /// 'yyyy-MM-dd HH:mm:ss'.
    static QString dateTime(const QDateTime& value);
    /// NULL.
    static QString null();
};

} // namespace tools
