#pragma once

#include <QDate>

#include <cstdint>

namespace tools {

/// How much demo data to make.
struct DemoSize {
    /// Rows of tblItemMaster (at least 15, one per category).
    int items = 400;
    /// Rows of tblLedger (at least 12).
    int ledgers = 100;
    /// Sales vouchers of the head office, each with 1 to 8 items.
    int salesVouchers = 3000;
    /// Purchase vouchers of the head office, each with 1 to 8 items.
    int purchaseVouchers = 1000;
    /// Vouchers are spread over this many days, ending today.
    int days = 60;
    /// Orders, stock journals and job cards each; receipts and payments are three times as many.
    int otherVouchers = 12;
    /// Sales vouchers the branch entered itself.
    int branchVouchers = 15;

    /// The demo an operator looks at: hundreds of items, thousands of vouchers.
    static DemoSize full() { return {}; }
    /// A few of everything, for tests that must stay fast.
    static DemoSize small() { return {40, 20, 30, 10, 5, 2, 4}; }
};

/// What the demo generator is asked to do.
struct DemoOptions {
    /// The same seed gives the same data.
    std::uint32_t seed = 1;
    /// How much data to make.
    DemoSize size;
    /// Replace demo servers that already exist instead of refusing.
    bool replaceExisting = false;
    /// The day the vouchers end on; an invalid date means the current date.
    QDate today;
};

} // namespace tools
