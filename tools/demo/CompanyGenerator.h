#pragma once

#include "tools/demo/DemoOptions.h"
#include "tools/demo/DemoRandom.h"
#include "tools/demo/TableRows.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace tools {

/// The demo's rows: a head office with a full set of masters and vouchers, and a branch with
/// an older, smaller copy of the masters and a few vouchers of its own. Everything is drawn
/// from one seeded generator in a fixed order, so the same seed gives the same rows.
class CompanyGenerator {
public:
    /// Draws every row at once, vouchers ending on `today`.
    CompanyGenerator(const DemoSize& size, const QDate& today, std::uint32_t seed);

    /// The head office's tables, in loading order. Its tblSales and tblPurchase rows leave
    /// SyncStat and ServInvID empty.
    const QList<TableRows>& headOffice() const { return m_headOffice; }
    /// The branch's tables, in loading order.
    const QList<TableRows>& branch() const { return m_branch; }
    /// Master changes made on the head office after its triggers are installed, so that its
    /// activity log holds a few recent rows.
    QStringList recentChanges() const;

private:
    struct Item {
        int id;
        int categoryId;
        int unitId;
        int taxPer;
        qint64 prate;
        qint64 srate;
        qint64 mrp;
    };
    struct Party {
        int lid;
        QString name;
    };
    struct VchType {
        int id;
        QString name;
        int parent;
        bool active;
        QString prefix;
    };

    void makeMasters();
    void makeSales(QList<TableRows>& into, int count, int days, bool branch);
    void makePurchases(QList<TableRows>& into, int count, bool branch);
    void makeOtherVouchers();
    void makeBranch();
    TableRows& headTable(const QString& name);
    std::vector<int> sortedDayOffsets(int count, int days);
    QString personName();
    QString businessName(const QStringList& suffixes);
    const Item& pickItem(const std::vector<Item>& items);
    int pickVchType(const QList<QPair<int, int>>& weighted);
    QString nextNumber(int vchTypeId);

    DemoSize m_size;
    QDate m_today;
    DemoRandom m_random;
    QList<TableRows> m_headOffice;
    QList<TableRows> m_branch;
    std::vector<Item> m_items;
    std::vector<Party> m_customers;
    std::vector<Party> m_suppliers;
    std::vector<VchType> m_vchTypes;
    QHash<int, int> m_numbers;
};

} // namespace tools
