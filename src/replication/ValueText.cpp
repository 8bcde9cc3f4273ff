#include "replication/ValueText.h"

#include "text/DateText.h"
#include "db/Field.h"
#include "text/NumberText.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QStringList>

#include <cmath>

namespace replication::ValueText {

namespace {

bool isWholeNumberType(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloatType(const QVariant& value)
{
    return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
}

// What a value reads as when a text column holds it.
QString plainText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return text::DateText::sqlDateTime(value.toDateTime());
    case QMetaType::QDate:
        return text::DateText::sqlDate(value.toDate());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Double:
    case QMetaType::Float:
        return shortest(value.toDouble());
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

QString wholeNumber(const QVariant& value)
{
    if (value.typeId() == QMetaType::ULongLong || value.typeId() == QMetaType::ULong || value.typeId() == QMetaType::UInt)
        return QString::number(value.toULongLong());
    return QString::number(value.toLongLong());
}

QString numberValue(const QVariant& value)
{
    if (isWholeNumberType(value))
        return wholeNumber(value);
    if (isFloatType(value))
        return shortest(value.toDouble());
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return number(plainText(value));
}

QString dateValue(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime && value.toDateTime().isValid())
        return quoted(text::DateText::sqlDateTime(value.toDateTime()));
    if (value.typeId() == QMetaType::QDate && value.toDate().isValid())
        return quoted(text::DateText::sqlDateTime(QDateTime(value.toDate(), QTime(0, 0))));
    const QString text = plainText(value);
    const QDateTime parsed = text::DateText::parse(text.trimmed());
    return quoted(parsed.isValid() ? text::DateText::sqlDateTime(parsed) : text);
}

QString bitValue(const QVariant& value)
{
    bool on = false;
    if (value.typeId() == QMetaType::Bool)
        on = value.toBool();
    else if (isWholeNumberType(value) || isFloatType(value))
        on = value.toDouble() != 0.0;
    else {
        const QString text = plainText(value).trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            on = true;
        else if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            on = false;
        else
            on = text::NumberText::leading(text) != 0.0;
    }
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

QString binaryValue(const QVariant& value)
{
    const QByteArray bytes = value.typeId() == QMetaType::QByteArray ? value.toByteArray() : plainText(value).toUtf8();
    return QStringLiteral("0x") + QString::fromLatin1(bytes.toHex().toUpper());
}

} // namespace

QString quoted(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('\'');
    for (const QChar c : text) {
        out += c;
        if (c == QLatin1Char('\''))
            out += c;
    }
    out += QLatin1Char('\'');
    return out;
}

QString literal(const QString& text, Literal kind)
{
    const bool unicode = kind == Literal::Unicode;
    const QString prefix = unicode ? QStringLiteral("N") : QString();
    const QString function = unicode ? QStringLiteral("NCHAR(") : QStringLiteral("CHAR(");
    QStringList pieces;
    QString run;
    for (const QChar c : text) {
        // Tab and line ends stay inside the quotes, where every server takes them: an address of
        // many lines must not become a chain of concatenations deeper than a server will parse.
        const bool control = c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\r') && c != QLatin1Char('\n');
        if (!control) {
            run += c;
            continue;
        }
        if (!run.isEmpty())
            pieces << prefix + quoted(run);
        run.clear();
        pieces << function + QString::number(c.unicode()) + QLatin1Char(')');
    }
    if (!run.isEmpty() || pieces.isEmpty())
        pieces << prefix + quoted(run);
    return pieces.join(QLatin1String(" + "));
}

QString shortest(double value)
{
    if (!std::isfinite(value) || value == 0.0)
        return QStringLiteral("0");
    // 'e' with 14 decimals rounds to 15 significant digits; the exponent then places the point.
    const QString e = QString::number(value, 'e', 14);
    const qsizetype ePos = e.indexOf(QLatin1Char('e'));
    const bool negative = e.startsWith(QLatin1Char('-'));
    QString digits = e.left(ePos);
    digits.remove(QLatin1Char('-'));
    digits.remove(QLatin1Char('.'));
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    const int point = e.mid(ePos + 1).toInt() + 1; // digits before the decimal point
    QString text;
    if (point <= 0)
        text = QStringLiteral("0.") + QString(-point, QLatin1Char('0')) + digits;
    else if (point >= digits.size())
        text = digits + QString(point - digits.size(), QLatin1Char('0'));
    else
        text = digits.left(point) + QLatin1Char('.') + digits.mid(point);
    return negative ? QLatin1Char('-') + text : text;
}

QString number(const QString& text)
{
    return shortest(text::NumberText::leading(text));
}

QString exactDecimal(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    QString whole;
    QString fraction;
    while (i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'))
        whole += t[i++];
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        ++i;
        while (i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'))
            fraction += t[i++];
    }
    if (i != t.size() || (whole.isEmpty() && fraction.isEmpty()))
        return number(text);
    qsizetype lead = 0;
    while (lead < whole.size() - 1 && whole[lead] == QLatin1Char('0'))
        ++lead;
    whole = whole.mid(lead);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    QString out = fraction.isEmpty() ? whole : whole + QLatin1Char('.') + fraction;
    if (negative && out != QLatin1String("0"))
        out.prepend(QLatin1Char('-'));
    return out;
}

QString of(ValueKind kind, const QVariant& value)
{
    // A NULL stays NULL whatever the column: a blank or a zero in its place would read back as
    // a real value (a NULL date as 1 January 1900).
    if (!value.isValid() || value.isNull())
        return QStringLiteral("NULL");
    switch (kind) {
    case ValueKind::Text:
        return literal(plainText(value), Literal::Ansi);
    case ValueKind::UnicodeText:
        return literal(plainText(value), Literal::Unicode);
    case ValueKind::Date:
        return dateValue(value);
    case ValueKind::ExactNumber:
        if (value.typeId() == QMetaType::QString)
            return exactDecimal(value.toString());
        return numberValue(value);
    case ValueKind::Bit:
        return bitValue(value);
    case ValueKind::Binary:
        return binaryValue(value);
    case ValueKind::Guid:
        return quoted(plainText(value));
    case ValueKind::Number:
        break;
    }
    return numberValue(value);
}

QString of(const db::Field& field)
{
    return of(fieldValueKind(field.typeCode()), field.value());
}

} // namespace replication::ValueText
