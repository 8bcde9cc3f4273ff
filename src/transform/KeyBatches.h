#pragma once

#include <QList>
#include <QStringList>

namespace transform {

/// Keys sent as "in (...)" lists of at most `size` keys, so that no statement grows with the list.
class KeyBatches {
public:
    /// The most keys one statement names.
    static constexpr qsizetype size = 500;

    /// The keys joined with "," in batches of `size`, in their order.
    static QStringList of(const QList<long long>& keys);
};

} // namespace transform
