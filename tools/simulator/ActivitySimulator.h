#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <random>
#include <vector>

namespace db {
class Connection;
}

namespace tools {

/// Plays the head office's ERP: each step makes one change an operator there would make (a new or
/// edited ledger or item, a new or deleted category, a new sales voucher with items), through
/// ordinary statements, so that the change-capture triggers record it in tblActivity.
class ActivitySimulator {
public:
    /// Changes the company open on `headOffice`; vouchers are dated `today`; the same seed makes the same changes.
    ActivitySimulator(db::Connection& headOffice, const QDate& today, std::uint32_t seed = 1);

    /// Makes the next change and returns one line saying what it did. Throws db::DbError.
    QString step();

private:
    QString newLedger();
    QString editLedger();
    QString newItem();
    QString editItem();
    QString newCategory();
    QString deleteCategory();
    QString newSale();

    qlonglong scalar(const QString& sql);
    std::vector<qlonglong> ids(const QString& sql);
    qlonglong pick(const std::vector<qlonglong>& from);
    int between(int low, int high);

    db::Connection& m_headOffice;
    QDate m_today;
    std::mt19937 m_random;
    int m_step = 0;
};

} // namespace tools
