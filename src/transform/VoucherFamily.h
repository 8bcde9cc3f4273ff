#pragma once

#include <QString>

namespace db {
class Connection;
}

namespace transform {

/// Which pair of tables a voucher type's vouchers live in, decided by its parent voucher type.
enum class VoucherFamily { None, Sales, Purchase };

/// Sales for parents 1, 3, 12, 18 and 44, Purchase for 2 and 4, None for every other parent.
VoucherFamily familyOfParent(long long parentId);

/// The ParentID of voucher type `vchTypeId` read on `connection`; 0 when there is no such type or
/// its parent is empty. Throws db::DbError.
long long parentOfVchType(db::Connection& connection, long long vchTypeId);

} // namespace transform
