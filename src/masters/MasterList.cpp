#include "masters/MasterList.h"

#include "report/ListControl.h"
#include "report/Prompter.h"

namespace masters {

const std::vector<MasterList::Row>& MasterList::rows()
{
    static const std::vector<Row> list{
        {QStringLiteral("Ledger"), QStringLiteral("tblLedger")},
        {QStringLiteral("Area"), QStringLiteral("tblArea")},
        {QStringLiteral("Category"), QStringLiteral("tblCategory")},
        {QStringLiteral("ItemMaster"), QStringLiteral("tblItemMaster")},
        {QStringLiteral("TaxClass"), QStringLiteral("tblTaxClass")},
        {QStringLiteral("User"), QStringLiteral("tblUserMaster")},
        {QStringLiteral("UserGroup"), QStringLiteral("tblUserGroupMaster")},
        {QStringLiteral("Employee"), QStringLiteral("tblEmployee")},
        {QStringLiteral("Costcentre"), QStringLiteral("tblCostcentre")},
        {QStringLiteral("Godown"), QStringLiteral("tblGodown")},
        {QStringLiteral("AccountGroup"), QStringLiteral("tblAccountGroup")},
        {QStringLiteral("CustomerProfile"), QStringLiteral("tblCustomerProfile")},
        {QStringLiteral("Attendance"), QStringLiteral("tblAttendance")},
        {QStringLiteral("CustomerCard/POINT"), QStringLiteral("tblCustomerCard")},
        {QStringLiteral("Currency"), QStringLiteral("tblCurrency")},
        {QStringLiteral("CurrencyConversion"), QStringLiteral("tblCurrencyDetail")},
        {QStringLiteral("Agent"), QStringLiteral("tblAgent")},
        // Items refer to units, and the full synchronisation has a unit step.
        {QStringLiteral("Unit"), QStringLiteral("tblUnit")},
    };
    return list;
}

QString MasterList::rowText(const Row& row)
{
    return row.displayName + QString(120, QLatin1Char(' ')) + QLatin1Char('_') + row.table;
}

QString MasterList::tableName(const QString& rowText)
{
    const qsizetype underscore = rowText.indexOf(QLatin1Char('_'));
    return underscore < 0 ? QString() : rowText.mid(underscore + 1);
}

void MasterList::fill(report::ListControl& list)
{
    list.clear();
    int index = 0;
    for (const Row& row : rows())
        list.addItem(rowText(row), index++);
    list.setVisible(!list.isVisible());
    for (int i = 0; i < list.count(); ++i)
        list.setSelected(i, true);
}

void MasterList::rightButtonPressed(report::ListControl& list, report::Prompter& prompter)
{
    const int current = list.currentIndex();
    if (current < 0 || current >= list.count()) {
        prompter.tell(report::PromptIcon::Exclamation, QStringLiteral("The list has no current row."));
        return;
    }
    const bool selected = list.isSelected(current);
    for (int i = 0; i < list.count(); ++i)
        list.setSelected(i, selected);
}

QString MasterList::tableSet(const report::ListControl& list)
{
    QString set;
    for (int i = 0; i < list.count(); ++i) {
        if (list.isSelected(i))
            set += tableName(list.text(i)) + QLatin1Char(';');
    }
    if (set.isEmpty()) {
        for (int i = 0; i < list.count(); ++i)
            set += tableName(list.text(i)) + QLatin1Char(';');
    }
    return set;
}

} // namespace masters
