#pragma once

#include <QString>
#include <QStringList>

namespace reliability {

/// What the crash worker copies, shared with the tests that check its leftovers.
struct CrashCases {
    /// The master tables the full synchronisation (by either copy method) and the replay write.
    static QStringList masterTables()
    {
        return {QStringLiteral("tblLedger"),       QStringLiteral("tblArea"),           QStringLiteral("tblCategories"),
                QStringLiteral("tblItemMaster"),   QStringLiteral("tblTaxClass"),       QStringLiteral("tblUnit"),
                QStringLiteral("tblUserMaster"),   QStringLiteral("tblUserGroupMaster"), QStringLiteral("tblAgent"),
                QStringLiteral("tblEmployee"),     QStringLiteral("tblCostcentre"),     QStringLiteral("tblAccountGroup"),
                QStringLiteral("tblCustomerProfile"), QStringLiteral("tblCustomerCard"), QStringLiteral("tblCurrency"),
                QStringLiteral("tblCurrencyDetail")};
    }
    /// The head-office vouchers the voucher case copies, in order.
    static QString voucherSourceQuery()
    {
        return QStringLiteral("select top 12 InvID from tblSales where InvID in (select InvID from tblSalesItem) order by InvID");
    }
};

} // namespace reliability
