#include "text/NumberText.h"

#include <cmath>

namespace text::NumberText {

namespace {

// The number text starts with, after leading blanks (sign, digits, "." and digits, an exponent);
// empty when it does not start with one.
QString leadingText(const QString& text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return QString();
    qsizetype end = i;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            ++j;
        const qsizetype expStart = j;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128)
            ++j;
        if (j > expStart)
            end = j;
    }
    return text.mid(start, end - start);
}

} // namespace

double leading(const QString& text)
{
    bool ok = false;
    const double value = leadingText(text).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

Decimal leadingDecimal(const QString& text)
{
    return Decimal::parseWithExponent(leadingText(text)).value_or(Decimal());
}

long long leadingWhole(const QString& text, long long minimum, long long maximum, bool* ok)
{
    const double value = std::nearbyint(leading(text)); // the default rounding mode is half to even
    const bool fits = value >= double(minimum) && value <= double(maximum);
    if (ok)
        *ok = fits;
    return fits ? static_cast<long long>(value) : 0;
}

namespace {

// Decimal text without trailing zeros after the point, and without the point when none is left.
QString trimmed(QString text)
{
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

} // namespace

QString plain(double value)
{
    return value == 0.0 ? QStringLiteral("0") : trimmed(QString::number(value, 'f', 10));
}

QString plain(const Decimal& value)
{
    return trimmed(value.text());
}

} // namespace text::NumberText
