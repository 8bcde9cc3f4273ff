#include "transform/Amount.h"

namespace transform {

namespace {

__int128 powerOfTen(int n)
{
    __int128 value = 1;
    while (n-- > 0)
        value *= 10;
    return value;
}

// Divides by 10^digits, rounding half away from zero.
__int128 roundedDivision(__int128 value, int digits)
{
    const __int128 factor = powerOfTen(digits);
    const bool negative = value < 0;
    __int128 magnitude = negative ? -value : value;
    __int128 quotient = magnitude / factor;
    if ((magnitude % factor) * 2 >= factor)
        ++quotient;
    return negative ? -quotient : quotient;
}

} // namespace

Amount Amount::parse(const QString& input)
{
    QString text = input.trimmed();
    // A float column or a server that computes in doubles may answer in exponent form.
    if (text.contains(QLatin1Char('e'), Qt::CaseInsensitive)) {
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok)
            return {};
        text = QString::number(value, 'f', 12);
    }
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative || text.startsWith(QLatin1Char('+')))
        text.remove(0, 1);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? text : text.left(point);
    const QString fraction = point < 0 ? QString() : text.mid(point + 1);
    __int128 units = 0;
    for (const QChar c : whole + fraction) {
        if (!c.isDigit())
            return {};
        units = units * 10 + c.digitValue();
    }
    // To eight decimals, rounding what lies beyond.
    const int decimals = int(fraction.size());
    units = decimals > scale ? roundedDivision(units, decimals - scale) : units * powerOfTen(scale - decimals);
    return Amount(negative ? -units : units);
}

Amount Amount::rounded(int digits) const
{
    if (digits >= scale)
        return *this;
    return Amount(roundedDivision(m_units, scale - digits) * powerOfTen(scale - digits));
}

Amount Amount::operator*(const Amount& other) const
{
    return Amount(roundedDivision(m_units * other.m_units, scale));
}

QString Amount::text(int decimals) const
{
    const __int128 value = roundedDivision(m_units, scale - decimals);
    __int128 magnitude = value < 0 ? -value : value;
    QString digits;
    do {
        digits.prepend(QChar(char('0' + int(magnitude % 10))));
        magnitude /= 10;
    } while (magnitude > 0);
    if (decimals > 0) {
        digits = digits.rightJustified(decimals + 1, QLatin1Char('0'));
        digits.insert(digits.size() - decimals, QLatin1Char('.'));
    }
    return value < 0 ? QStringLiteral("-") + digits : digits;
}

} // namespace transform
