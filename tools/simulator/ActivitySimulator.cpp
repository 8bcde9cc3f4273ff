#include "tools/simulator/ActivitySimulator.h"

#include "db/Connection.h"
#include "text/DateText.h"
#include "db/DbError.h"
#include "db/Transaction.h"
#include "tools/demo/SqlLiteral.h"

#include <QDateTime>

namespace tools {

namespace {

const char* const firstNames[] = {"Anil", "Beena", "Chandran", "Deepa", "Faisal", "Geetha", "Hari", "Indu", "Jose", "Kavya"};
const char* const lastNames[] = {"Traders", "Stores", "Agencies", "Enterprises", "Mart", "& Sons", "Distributors"};
const char* const itemWords[] = {"Rice", "Tea", "Soap", "Biscuits", "Oil", "Detergent", "Notebook", "Torch", "Spice Mix", "Juice"};
const char* const sizes[] = {"100 g", "250 g", "500 g", "1 kg", "1 L", "Pack of 6", "Large", "Small"};

} // namespace

ActivitySimulator::ActivitySimulator(db::Connection& headOffice, const QDate& today, std::uint32_t seed)
    : m_headOffice(headOffice)
    , m_today(today)
    , m_random(seed)
{
}

QString ActivitySimulator::step()
{
    // Sales come in far more often than master changes, as in a shop.
    static const int cycle = 10;
    const int kind = m_step++ % cycle;
    switch (kind) {
    case 0: case 2: case 5: case 8:
        return newSale();
    case 1:
        return newLedger();
    case 3:
        return editItem();
    case 4:
        return newItem();
    case 6:
        return editLedger();
    case 7:
        return newCategory();
    default:
        return deleteCategory();
    }
}

QString ActivitySimulator::newLedger()
{
    const qlonglong lid = scalar(QStringLiteral("SELECT ISNULL(MAX(LID), 0) + 1 FROM tblLedger"));
    const QString name = QStringLiteral("%1 %2").arg(QLatin1String(firstNames[between(0, 9)]), QLatin1String(lastNames[between(0, 6)]));
    const std::vector<qlonglong> groups = ids(QStringLiteral("SELECT AccountGroupID FROM tblAccountGroup"));
    m_headOffice.execute(QStringLiteral("INSERT INTO tblLedger (LID, LName, LAliasName, AccountGroupID, OpeningBalance, CreditLimit, CreditDays, "
                                        "ActiveStatus, CreatedDate) VALUES (%1, %2, %3, %4, 0, %5, 30, 1, %6)")
                             .arg(lid)
                             .arg(SqlLiteral::text(name), SqlLiteral::text(name.toUpper()),
                                  groups.empty() ? SqlLiteral::null() : SqlLiteral::number(pick(groups)),
                                  SqlLiteral::money(qint64(between(0, 50)) * 100000), SqlLiteral::date(m_today)));
    return QStringLiteral("new ledger %1 \"%2\"").arg(lid).arg(name);
}

QString ActivitySimulator::editLedger()
{
    const std::vector<qlonglong> ledgers = ids(QStringLiteral("SELECT LID FROM tblLedger"));
    if (ledgers.empty())
        return newLedger();
    const qlonglong lid = pick(ledgers);
    const QString phone = QStringLiteral("9%1").arg(between(100000000, 999999999));
    m_headOffice.execute(QStringLiteral("UPDATE tblLedger SET Phone = %1, CreditDays = %2 WHERE LID = %3")
                             .arg(SqlLiteral::text(phone))
                             .arg(between(7, 45))
                             .arg(lid));
    return QStringLiteral("edited ledger %1: phone %2").arg(lid).arg(phone);
}

QString ActivitySimulator::newItem()
{
    const qlonglong itemId = scalar(QStringLiteral("SELECT ISNULL(MAX(ItemID), 0) + 1 FROM tblItemMaster"));
    const std::vector<qlonglong> categories = ids(QStringLiteral("SELECT CategoryID FROM tblCategories"));
    const std::vector<qlonglong> taxClasses = ids(QStringLiteral("SELECT TaxClassID FROM tblTaxClass"));
    const std::vector<qlonglong> units = ids(QStringLiteral("SELECT UnitID FROM tblUnit"));
    const QString name = QStringLiteral("%1 %2").arg(QLatin1String(itemWords[between(0, 9)]), QLatin1String(sizes[between(0, 7)]));
    const qint64 purchase = qint64(between(10, 900)) * 100;
    const qint64 sale = purchase * between(110, 140) / 100;
    const qint64 mrp = sale * between(100, 115) / 100;
    m_headOffice.execute(QStringLiteral("INSERT INTO tblItemMaster (ItemID, ItemCode, ItemName, CategoryID, ProductTypeID, UnitID, TaxClassID, "
                                        "PRate, SRate, MRP, ActiveStatus, CreatedDate) VALUES (%1, %2, %3, %4, 0, %5, %6, %7, %8, %9, 1, %10)")
                             .arg(itemId)
                             .arg(SqlLiteral::text(QStringLiteral("SIM%1").arg(itemId, 5, 10, QLatin1Char('0'))), SqlLiteral::text(name),
                                  categories.empty() ? SqlLiteral::null() : SqlLiteral::number(pick(categories)),
                                  units.empty() ? SqlLiteral::null() : SqlLiteral::number(pick(units)),
                                  taxClasses.empty() ? SqlLiteral::null() : SqlLiteral::number(pick(taxClasses)), SqlLiteral::money(purchase),
                                  SqlLiteral::money(sale), SqlLiteral::money(mrp))
                             .arg(SqlLiteral::date(m_today)));
    return QStringLiteral("new item %1 \"%2\"").arg(itemId).arg(name);
}

QString ActivitySimulator::editItem()
{
    const std::vector<qlonglong> items = ids(QStringLiteral("SELECT ItemID FROM tblItemMaster"));
    if (items.empty())
        return newItem();
    const qlonglong itemId = pick(items);
    const int rise = between(1, 5);
    m_headOffice.execute(QStringLiteral("UPDATE tblItemMaster SET SRate = SRate + %1, MRP = MRP + %1 WHERE ItemID = %2").arg(rise).arg(itemId));
    return QStringLiteral("edited item %1: rates up by %2").arg(itemId).arg(rise);
}

QString ActivitySimulator::newCategory()
{
    const qlonglong categoryId = scalar(QStringLiteral("SELECT ISNULL(MAX(CategoryID), 0) + 1 FROM tblCategories"));
    const QString name = QStringLiteral("Seasonal Offers %1").arg(categoryId);
    m_headOffice.execute(QStringLiteral("INSERT INTO tblCategories (CategoryID, Category, CategoryCode, ActiveStatus) VALUES (%1, %2, %3, 1)")
                             .arg(categoryId)
                             .arg(SqlLiteral::text(name), SqlLiteral::text(QStringLiteral("SO%1").arg(categoryId))));
    return QStringLiteral("new category %1 \"%2\"").arg(categoryId).arg(name);
}

QString ActivitySimulator::deleteCategory()
{
    // Only a category no item belongs to can go, as the ERP's own check would insist.
    const qlonglong categoryId = scalar(QStringLiteral(
        "SELECT ISNULL(MAX(CategoryID), 0) FROM tblCategories WHERE CategoryID NOT IN "
        "(SELECT CategoryID FROM tblItemMaster WHERE CategoryID IS NOT NULL)"));
    if (categoryId <= 0)
        return newCategory();
    m_headOffice.execute(QStringLiteral("DELETE FROM tblCategories WHERE CategoryID = %1").arg(categoryId));
    return QStringLiteral("deleted category %1").arg(categoryId);
}

QString ActivitySimulator::newSale()
{
    const std::vector<qlonglong> types =
        ids(QStringLiteral("SELECT VchTypeID FROM tblVchType WHERE ParentID IN (1, 18, 44) AND ActiveStatus = 1"));
    const std::vector<qlonglong> ledgers = ids(QStringLiteral("SELECT LID FROM tblLedger"));
    const std::vector<qlonglong> centres = ids(QStringLiteral("SELECT CCID FROM tblCostcentre"));
    const std::vector<qlonglong> items = ids(QStringLiteral("SELECT ItemID FROM tblItemMaster WHERE ActiveStatus = 1"));
    if (types.empty() || items.empty())
        return QStringLiteral("no sales voucher: no active sales voucher type or item");

    const qlonglong vchTypeId = pick(types);
    const qlonglong lid = ledgers.empty() ? 0 : pick(ledgers);
    db::Recordset prefix =
        m_headOffice.openRecordset(QStringLiteral("SELECT NumberPrefix FROM tblVchType WHERE VchTypeID = %1").arg(vchTypeId));
    const QString numberPrefix = prefix.eof() ? QString() : prefix.field(0).text();
    db::Recordset party = m_headOffice.openRecordset(QStringLiteral("SELECT LName FROM tblLedger WHERE LID = %1").arg(lid));
    const QString partyName = party.eof() ? QStringLiteral("Cash") : party.field(0).text();

    // One voucher is one transaction, as the ERP saves it: the header and its lines or nothing.
    db::Transaction transaction(m_headOffice);
    const qlonglong invId = scalar(QStringLiteral("SELECT ISNULL(MAX(InvID), 0) + 1 FROM tblSales"));
    const qlonglong number = scalar(QStringLiteral("SELECT COUNT(*) + 1 FROM tblSales WHERE VchTypeID = %1").arg(vchTypeId));
    // Prefixes are kept with or without their separator ("SI/" or "SI").
    const QString separator = numberPrefix.isEmpty() || numberPrefix.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
    const QString invNo = numberPrefix + separator + QString::number(number);
    const int lines = between(1, 4);
    qint64 gross = 0;
    QStringList lineStatements;
    for (int slNo = 1; slNo <= lines; ++slNo) {
        const qlonglong itemId = pick(items);
        db::Recordset item = m_headOffice.openRecordset(
            QStringLiteral("SELECT PRate, SRate, MRP, UnitID FROM tblItemMaster WHERE ItemID = %1").arg(itemId));
        const qint64 rate = qint64(item.field(1).text().toDouble() * 100 + 0.5);
        const qint64 qty = between(1, 3);
        gross += rate * qty;
        lineStatements << (QStringLiteral("INSERT INTO tblSalesItem (InvID, SlNo, ItemID, Qty, UnitID, Prate, rate, MRP, DiscPer, TaxPer, "
                                            "TaxAmt, NetAmount) VALUES (%1, %2, %3, %4, %5, %6, %7, %8, 0, 0, 0, %9)")
                                 .arg(invId)
                                 .arg(slNo)
                                 .arg(itemId)
                                 .arg(qty)
                                 .arg(item.field(3).isNull() ? SqlLiteral::null() : item.field(3).text(),
                                      item.field(0).isNull() ? SqlLiteral::null() : item.field(0).text(), SqlLiteral::money(rate),
                                      item.field(2).isNull() ? SqlLiteral::null() : item.field(2).text(), SqlLiteral::money(rate * qty)));
    }
    const qint64 bill = (gross + 50) / 100 * 100;
    m_headOffice.execute(QStringLiteral("INSERT INTO tblSales (InvID, InvNo, InvDate, VchTypeID, Party, LID, CCID, GodownID, TaxType, GrossAmt, "
                                        "DiscountAmt, TaxAmt, RoundOff, BillAmt, CashReceived, cancelled, UserID, CreatedTime) VALUES "
                                        "(%1, %2, %3, %4, %5, %6, %7, 1, 'GST', %8, 0, 0, %9, %10, 0, 0, 1, %11)")
                             .arg(invId)
                             .arg(SqlLiteral::text(invNo), SqlLiteral::date(m_today))
                             .arg(vchTypeId)
                             .arg(SqlLiteral::text(partyName), lid ? SqlLiteral::number(lid) : SqlLiteral::null(),
                                  centres.empty() ? SqlLiteral::null() : SqlLiteral::number(pick(centres)), SqlLiteral::money(gross),
                                  SqlLiteral::money(bill - gross), SqlLiteral::money(bill),
                                  SqlLiteral::dateTime(QDateTime(m_today, QTime::currentTime()))));
    for (const QString& line : lineStatements)
        m_headOffice.execute(line);
    transaction.commit();
    return QStringLiteral("new sales voucher %1 (InvID %2, voucher type %3, %4 line(s), %5)")
        .arg(invNo)
        .arg(invId)
        .arg(vchTypeId)
        .arg(lines)
        .arg(SqlLiteral::money(bill));
}

qlonglong ActivitySimulator::scalar(const QString& sql)
{
    db::Recordset rows = m_headOffice.openRecordset(sql);
    return rows.eof() ? 0 : rows.field(0).value().toLongLong();
}

std::vector<qlonglong> ActivitySimulator::ids(const QString& sql)
{
    std::vector<qlonglong> result;
    for (db::Recordset rows = m_headOffice.openRecordset(sql); !rows.eof(); rows.moveNext())
        result.push_back(rows.field(0).value().toLongLong());
    return result;
}

qlonglong ActivitySimulator::pick(const std::vector<qlonglong>& from)
{
    return from.at(size_t(between(0, int(from.size()) - 1)));
}

int ActivitySimulator::between(int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(m_random);
}

} // namespace tools
