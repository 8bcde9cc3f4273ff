#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

#include <vector>

namespace transform {

/// A checked voucher that a run could not copy.
struct FailedVoucher {
    long long sourceKey = 0;
    /// The listing's entry text: number, party, date and amount at head office.
    QString entry;
    /// Why the last try failed.
    QString reason;
    int tries = 0;
    QDateTime lastTry;
};

/// The vouchers that runs of this session could not copy, until a later run copies them. Nothing
/// else records them (the daily log has only the messages), so they are kept while the program runs.
class TransferFailures {
public:
    /// Counts one more failed try of the voucher with head-office key `sourceKey`.
    void failed(long long sourceKey, const QString& entry, const QString& reason, const QDateTime& when)
    {
        FailedVoucher& voucher = m_failed[sourceKey];
        voucher.sourceKey = sourceKey;
        voucher.entry = entry;
        voucher.reason = reason;
        ++voucher.tries;
        voucher.lastTry = when;
    }
    /// The voucher is in the branch now (copied, or found already transferred).
    void copied(long long sourceKey) { m_failed.remove(sourceKey); }
    /// The vouchers not copied, by head-office key.
    std::vector<FailedVoucher> list() const { return {m_failed.cbegin(), m_failed.cend()}; }

private:
    QMap<long long, FailedVoucher> m_failed;
};

} // namespace transform
