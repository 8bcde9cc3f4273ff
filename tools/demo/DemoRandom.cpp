#include "tools/demo/DemoRandom.h"

namespace tools {

int DemoRandom::between(int low, int high)
{
    if (high <= low)
        return low;
    const std::uint64_t span = std::uint64_t(high) - std::uint64_t(low) + 1;
    // 64 bits from two draws make the modulo bias negligible for the small spans used here.
    const std::uint64_t wide = (std::uint64_t(next()) << 32) | next();
    return int(std::int64_t(low) + std::int64_t(wide % span));
}

bool DemoRandom::chance(double probability)
{
    return double(next()) / 4294967296.0 < probability;
}

const QString& DemoRandom::pick(const QStringList& list)
{
    return list.at(between(0, int(list.size()) - 1));
}

int DemoRandom::skewedLow(int low, int high)
{
    const double u = double(next()) / 4294967296.0;
    return low + int(u * u * double(high - low + 1));
}

} // namespace tools
