#pragma once

#include "transform/VoucherFamily.h"

#include <QDate>
#include <QSet>
#include <QString>

namespace transform {

/// What a listing of Show Trans was made for. A run copies only vouchers of the listing it was
/// given, and refuses when the choice it was made for has changed since.
struct Listing {
    /// The source company code the vouchers were listed from.
    QString sourceCompany;
    qlonglong vchType = 0;
    /// The shown name of the listed voucher type, for messages.
    QString vchTypeName;
    VoucherFamily family = VoucherFamily::None;
    QDate from;
    QDate to;
    /// The category and item-class filters as id lists ("1,2"), applied to the items of each copy.
    QString categories;
    QString itemClasses;
    /// Vouchers that runs over this listing found already transferred and logged so: each is
    /// logged once for the listing, not again on every run.
    QSet<qlonglong> loggedAsTransferred;
};

} // namespace transform
