#pragma once

#include "text/Decimal.h"

#include "transform/Listing.h"
#include "transform/VoucherFamily.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>

namespace connection {
class CompanyConnections;
}
namespace report {
class ListControl;
class Prompter;
class Reporter;
}

namespace transform {

class FillProgress;
class ListFiller;

/// The controls Show Trans reads and fills.
struct ListingControls {
    report::ListControl& vchTypes;     ///< lstVchtypes: the voucher type to list
    report::ListControl& categories;   ///< lstCategories: category filter
    report::ListControl& itemClasses;  ///< LstitemClass: item-class filter
    report::ListControl& transactions; ///< lstSource: the listed vouchers, item data InvID
};

/// What Show Trans hands back to the window while it runs.
struct ListingSteps {
    /// Shows the total of all listed entries and of the checked ones, once every entry is checked.
    std::function<void(const text::Decimal& total, const text::Decimal& selected)> showTotals;
    /// Compares the master counts of both companies; true when they differ.
    std::function<bool()> mastersDiffer;
};

/// Which entries a total counts.
enum class Entries { All, CheckedOnly };

/// Lists the source vouchers of one voucher type and date range that pass the category and
/// item-class filters, and checks them by hand, all at once or up to a required value.
class TransactionListing {
public:
    /// The To date that means "only the From date".
    static QDate singleDayMark() { return QDate(1899, 12, 31); }

    TransactionListing(connection::CompanyConnections& connections, ListFiller& filler, report::Reporter& reporter,
                       report::Prompter& prompter, FillProgress& progress);

    /// Show Trans: lists the matching vouchers in the transactions list and checks them all.
    /// Failures end it with a box; what was listed stays. Returns false after a failure.
    bool showTransactions(const ListingControls& controls, const QDate& from, const QDate& to, const ListingSteps& steps);
    /// What the last Show Trans listed, when it succeeded (its source company left empty); empty
    /// from the start of a Show Trans until it succeeds.
    std::optional<Listing>& listed() { return m_listed; }

    /// " and CategoryID in(1,2 ) and PRoducttypeid in(0 )": the item filter of the selected ids.
    static QString filterClause(const QString& categoryList, const QString& classList);
    /// " invdate between  'from' and 'to'", or " invdate ='from'" for the single-day mark.
    static QString dateClause(const QDate& from, const QDate& to);
    /// The query for the ids of sales vouchers with at least one item passing `filter`.
    static QString salesIdQuery(const QString& filter, qlonglong vchType, const QString& dateClause);
    /// The query for the ids of purchase vouchers with at least one item passing `filter`.
    static QString purchaseIdQuery(const QString& filter);
    /// "and InvID in(1,2,0)" for the ids text "1,2,", "" for "".
    static QString idClause(const QString& ids);
    /// The listing of sales vouchers: id and entry text ending in the bill amount.
    static QString salesListingQuery(qlonglong vchType, const QString& dateClause, const QString& idClause);
    /// The listing of purchase vouchers: id and entry text ending in the bill amount.
    static QString purchaseListingQuery(qlonglong vchType, const QString& dateClause, const QString& idClause);

    /// The amount an entry text ends in, with its sign; 0 when it ends in no number.
    static text::Decimal entryAmount(const QString& text);
    /// Sum of the absolute amounts of all or only of the checked entries.
    static text::Decimal billAmount(const report::ListControl& list, Entries which);
    /// Sets the check of every entry to `checked`.
    static void checkAll(report::ListControl& list, bool checked);
    /// Checks entries until the running sum passes `required` (three passes from index 1 with
    /// steps 2, 3 and 1); never clears a check. Failures end the walk with a box.
    void selectBills(report::ListControl& list, const text::Decimal& required);

private:
    void listFamily(const ListingControls& controls, VoucherFamily family, qlonglong vchType, const QString& filter,
                    const QString& dates);
    QString idsOf(const QString& query);

    connection::CompanyConnections& m_connections;
    ListFiller& m_filler;
    report::Reporter& m_reporter;
    report::Prompter& m_prompter;
    FillProgress& m_progress;
    std::optional<Listing> m_listed;
};

} // namespace transform
