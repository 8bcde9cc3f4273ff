#include "transform/KeyBatches.h"

#include <algorithm>

namespace transform {

QStringList KeyBatches::of(const QList<long long>& keys)
{
    QStringList batches;
    for (qsizetype start = 0; start < keys.size(); start += size) {
        QStringList batch;
        for (qsizetype i = start; i < std::min(keys.size(), start + size); ++i)
            batch << QString::number(keys[i]);
        batches << batch.join(QLatin1Char(','));
    }
    return batches;
}

} // namespace transform
