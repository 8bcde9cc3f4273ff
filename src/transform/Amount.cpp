#include "transform/Amount.h"

namespace transform {

Amount Amount::parse(const QString& input)
{
    // A float column or a server that computes in doubles may answer in exponent form.
    const std::optional<text::Decimal> value = text::Decimal::parseWithExponent(input);
    if (!value)
        return {};
    // To eight decimals, rounding what lies beyond.
    return Amount(value->rounded(scale).units());
}

Amount Amount::rounded(int digits) const
{
    if (digits >= scale)
        return *this;
    return Amount(text::Decimal(m_units, scale).rounded(digits).rounded(scale).units());
}

Amount Amount::operator*(const Amount& other) const
{
    return Amount((text::Decimal(m_units, scale) * text::Decimal(other.m_units, scale)).rounded(scale).units());
}

QString Amount::text(int decimals) const
{
    return text::Decimal(m_units, scale).rounded(decimals).text();
}

} // namespace transform
