#include "transform/VoucherFamily.h"

#include "db/Connection.h"
#include "text/NumberText.h"

#include <limits>

namespace transform {

VoucherFamily familyOfParent(long long parentId)
{
    switch (parentId) {
    case 1:
    case 3:
    case 12:
    case 18:
    case 44:
        return VoucherFamily::Sales;
    case 2:
    case 4:
        return VoucherFamily::Purchase;
    default:
        return VoucherFamily::None;
    }
}

long long parentOfVchType(db::Connection& connection, long long vchTypeId)
{
    db::Recordset rows = connection.openRecordset(QStringLiteral("Select ParentID from tblvchtype where VchtypeID=") + QString::number(vchTypeId));
    if (rows.eof())
        return 0;
    // An empty parent names no family, like a missing voucher type.
    return text::NumberText::leadingWhole(rows.field(0).text(), std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

} // namespace transform
