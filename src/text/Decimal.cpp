#include "text/Decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace text {

namespace {

Decimal::Units powerOfTen(int n)
{
    return boost::multiprecision::pow(Decimal::Units(10), unsigned(std::max(n, 0)));
}

int digitCount(const Decimal::Units& units)
{
    if (units == 0)
        return 0;
    return int(boost::multiprecision::abs(units).str().size());
}

// Sign, digits and point of plain decimal text: the units and the decimals written.
std::optional<Decimal> parsePlain(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    std::string digits;
    int scale = 0;
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digits.push_back(char(c.unicode()));
            if (point)
                ++scale;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits.empty())
        return std::nullopt;
    // Boost reads a leading zero as an octal number.
    const size_t first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
    Decimal::Units units(digits.substr(first));
    return Decimal(negative ? Decimal::Units(-units) : units, scale);
}

} // namespace

Decimal Decimal::fromInteger(long long value)
{
    return Decimal(Units(value), 0);
}

std::optional<Decimal> Decimal::parse(QStringView text)
{
    return parsePlain(text.trimmed());
}

std::optional<Decimal> Decimal::parseWithExponent(QStringView input)
{
    const QStringView text = input.trimmed();
    qsizetype e = text.indexOf(QLatin1Char('e'), 0, Qt::CaseInsensitive);
    if (e < 0)
        return parsePlain(text);
    std::optional<Decimal> mantissa = parsePlain(text.left(e));
    bool ok = false;
    const int exponent = text.mid(e + 1).toInt(&ok);
    if (!mantissa || !ok || std::abs(exponent) > 400)
        return std::nullopt;
    const int scale = mantissa->scale() - exponent;
    if (scale >= 0)
        return Decimal(mantissa->units(), scale);
    return Decimal(mantissa->units() * powerOfTen(-scale), 0);
}

Decimal Decimal::fromDouble(double value)
{
    if (!std::isfinite(value) || value == 0)
        return Decimal();
    // 15 significant digits: what a double holds for sure. 122.13 * 0.95 is 116.02499999999999 as a
    // double and 116.025 as exact decimals compute it.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    std::optional<Decimal> exact = parseWithExponent(QString::fromLatin1(buffer, result.ptr - buffer));
    if (!exact)
        return Decimal();
    Units units = exact->units();
    int scale = exact->scale();
    while (scale > 0 && units % 10 == 0) {
        units /= 10;
        --scale;
    }
    return Decimal(units, scale);
}

int Decimal::precision() const
{
    return std::max({digitCount(m_units), m_scale, 1});
}

int Decimal::integerDigits() const
{
    return std::max(digitCount(m_units) - m_scale, 0);
}

Decimal Decimal::rounded(int scale) const
{
    if (scale >= m_scale)
        return Decimal(m_units * powerOfTen(scale - m_scale), scale);
    const Units factor = powerOfTen(m_scale - scale);
    Units quotient = m_units / factor;
    const Units remainder = m_units % factor;
    if (boost::multiprecision::abs(remainder) * 2 >= factor)
        quotient += m_units < 0 ? -1 : 1;
    return Decimal(quotient, scale);
}

Decimal Decimal::truncated(int scale) const
{
    if (scale >= m_scale)
        return rounded(scale);
    return Decimal(m_units / powerOfTen(m_scale - scale), scale);
}

QString Decimal::text() const
{
    QString digits = QString::fromStdString(boost::multiprecision::abs(m_units).str());
    if (m_scale > 0) {
        digits = digits.rightJustified(m_scale + 1, QLatin1Char('0'));
        digits.insert(digits.size() - m_scale, QLatin1Char('.'));
    }
    return m_units < 0 ? QLatin1Char('-') + digits : digits;
}

double Decimal::toDouble() const
{
    return text().toDouble();
}

std::optional<long long> Decimal::toInteger() const
{
    const Units whole = m_units / powerOfTen(m_scale);
    if (whole > Units(std::numeric_limits<long long>::max()) || whole < Units(std::numeric_limits<long long>::min()))
        return std::nullopt;
    return static_cast<long long>(whole);
}

Decimal Decimal::operator+(const Decimal& other) const
{
    const int scale = std::max(m_scale, other.m_scale);
    return Decimal(rounded(scale).m_units + other.rounded(scale).m_units, scale);
}

Decimal Decimal::operator-(const Decimal& other) const
{
    const int scale = std::max(m_scale, other.m_scale);
    return Decimal(rounded(scale).m_units - other.rounded(scale).m_units, scale);
}

Decimal Decimal::operator*(const Decimal& other) const
{
    return Decimal(m_units * other.m_units, m_scale + other.m_scale);
}

std::optional<Decimal> Decimal::dividedBy(const Decimal& divisor, int scale) const
{
    if (divisor.isZero())
        return std::nullopt;
    // units / 10^s1 divided by d / 10^s2, at 10^-scale: units * 10^(scale - s1 + s2) / d.
    const int shift = scale - m_scale + divisor.m_scale;
    Units numerator = m_units;
    Units denominator = divisor.m_units;
    if (shift >= 0)
        numerator *= powerOfTen(shift);
    else
        denominator *= powerOfTen(-shift);
    return Decimal(numerator / denominator, scale);
}

int Decimal::compare(const Decimal& other) const
{
    const int scale = std::max(m_scale, other.m_scale);
    const Units a = rounded(scale).m_units;
    const Units b = other.rounded(scale).m_units;
    return a < b ? -1 : a > b ? 1 : 0;
}

} // namespace text
