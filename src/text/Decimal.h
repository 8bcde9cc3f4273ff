#pragma once

#include <QString>
#include <QStringView>

#include <boost/multiprecision/cpp_int.hpp>

#include <optional>

namespace text {

/// An exact decimal number: a whole number of units and a scale (12.50 is 1250 units at scale 2),
/// computed as SQL Server computes numeric, decimal and money values, never through a double.
class Decimal {
public:
    /// The whole number of units; any size, so products and sums never wrap.
    using Units = boost::multiprecision::number<boost::multiprecision::cpp_int_backend<>, boost::multiprecision::et_off>;

    Decimal() = default;
    /// `units` at `scale` decimals.
    Decimal(Units units, int scale) : m_units(std::move(units)), m_scale(scale) {}

    /// A whole number at scale 0.
    static Decimal fromInteger(long long value);
    /// Plain decimal text with an optional sign and blanks around it ("-12.50", " .5 ", "7."),
    /// keeping the scale it is written with; empty for anything else.
    static std::optional<Decimal> parse(QStringView text);
    /// Like parse, and also accepts an exponent ("1.5e-05", "2E3").
    static std::optional<Decimal> parseWithExponent(QStringView text);
    /// The decimal a double stands for, to 15 significant digits: 116.02499999999999 gives
    /// 116.025. Not finite values give 0.
    static Decimal fromDouble(double value);

    /// The whole number of units.
    const Units& units() const { return m_units; }
    /// Decimals after the point.
    int scale() const { return m_scale; }
    /// Digits of the value as SQL Server counts a literal's precision: at least the scale, at least 1.
    int precision() const;
    /// Digits left of the point, 0 for a value below 1.
    int integerDigits() const;
    /// True for zero at any scale.
    bool isZero() const { return m_units == 0; }
    /// True below zero.
    bool isNegative() const { return m_units < 0; }

    /// At `scale` decimals, rounded half away from zero when decimals are dropped.
    Decimal rounded(int scale) const;
    /// At `scale` decimals, cut toward zero when decimals are dropped.
    Decimal truncated(int scale) const;

    /// Decimal text with every decimal of the scale: "1250.50", "-0.05", "12".
    QString text() const;
    /// The nearest double.
    double toDouble() const;
    /// The whole part (cut toward zero), when it fits in 64 bits.
    std::optional<long long> toInteger() const;

    /// The exact sum, at the larger scale.
    Decimal operator+(const Decimal& other) const;
    /// The exact difference, at the larger scale.
    Decimal operator-(const Decimal& other) const;
    /// The exact product, at the sum of the scales.
    Decimal operator*(const Decimal& other) const;
    /// The quotient at `scale` decimals, cut toward zero; empty when `divisor` is zero.
    std::optional<Decimal> dividedBy(const Decimal& divisor, int scale) const;

    /// -1, 0 or 1 as this value is below, equal to or above `other`, whatever their scales.
    int compare(const Decimal& other) const;
    /// Equal values, whatever their scales (1.5 equals 1.50).
    bool operator==(const Decimal& other) const { return compare(other) == 0; }
    /// Different values.
    bool operator!=(const Decimal& other) const { return compare(other) != 0; }

private:
    Units m_units = 0;
    int m_scale = 0;
};

} // namespace text
