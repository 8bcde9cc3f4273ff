#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <random>

namespace tools {

/// Random numbers for the demo data that are the same for the same seed on every machine:
/// std::mt19937 gives the same sequence everywhere, and the distributions here are our own (the standard
/// library's distributions differ between implementations).
class DemoRandom {
public:
    /// A generator whose draws depend only on `seed`.
    explicit DemoRandom(std::uint32_t seed) : m_engine(seed) {}

    /// A whole number from `low` to `high`, both included.
    int between(int low, int high);
    /// True with the given chance (0 to 1).
    bool chance(double probability);
    /// One entry of a non-empty list.
    const QString& pick(const QStringList& list);
    /// A number from `low` to `high` that is more often near `low` (square of a uniform value).
    int skewedLow(int low, int high);

private:
    std::uint32_t next() { return static_cast<std::uint32_t>(m_engine()); }
    std::mt19937 m_engine;
};

} // namespace tools
