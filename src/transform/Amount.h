#pragma once

#include "text/Decimal.h"

#include <QString>

namespace transform {

/// An exact decimal amount with eight decimals, for totals that must agree to the cent with what
/// the database stores: quantities (three decimals) times rates (two or four) stay exact.
class Amount {
public:
    Amount() = default;

    /// The decimal text of a field ("12.50", "-3", "1.5e-05"); 0 for text that is not a number.
    static Amount parse(const QString& text);
    /// This amount rounded half away from zero to `scale` decimals, as a numeric column stores it.
    Amount rounded(int scale) const;
    /// The product, rounded half away from zero to eight decimals.
    Amount operator*(const Amount& other) const;
    Amount& operator+=(const Amount& other)
    {
        m_units += other.m_units;
        return *this;
    }
    Amount operator+(const Amount& other) const { return Amount(m_units + other.m_units); }
    Amount operator-(const Amount& other) const { return Amount(m_units - other.m_units); }
    bool operator==(const Amount& other) const { return m_units == other.m_units; }

    /// Rounded to cents, without grouping: "1234.56", "-0.05".
    QString cents() const { return text(2); }
    /// Rounded to `decimals` decimals (0 to 8), without grouping.
    QString text(int decimals) const;

private:
    static constexpr int scale = 8;
    explicit Amount(text::Decimal::Units units) : m_units(std::move(units)) {}
    text::Decimal::Units m_units = 0;
};

} // namespace transform
