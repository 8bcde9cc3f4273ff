#pragma once

#include "transform/ListFiller.h"
#include "transform/Listing.h"
#include "transform/VoucherFamily.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <QHash>
#include <QList>

#include <functional>
#include <optional>
#include <variant>
#include <vector>

namespace connection {
class CompanyConnections;
}
namespace db {
class Connection;
}
namespace report {
class ListControl;
class ProgressSteps;
class Prompter;
class Reporter;
}

namespace transform {

class TransferFailures;

/// The window's lists a run's choices are taken from.
struct RunControls {
    report::ListControl& vchTypes;            ///< lstVchtypes: the source voucher type
    report::ListControl& destinationVchTypes; ///< cboVchtypeTotransform: the destination voucher type
    report::ListControl& categories;          ///< lstCategories: category filter of the items
    report::ListControl& itemClasses;         ///< LstitemClass: item-class filter of the items
    report::ListControl& taxModes;            ///< cboTaxMode: item data 0 to 5, none chosen sends no tax statement
    report::ListControl& transactions;        ///< lstSource: the checked entries are copied, item data InvID
};

/// One entry of a list as a run takes it: its item data and its shown text.
struct ChosenEntry {
    long long id = 0;
    QString text;
};

/// The lists' choices a run works with, taken once when it starts: what the operator changes
/// during the run is for the next one.
struct RunChoices {
    std::optional<ChosenEntry> vchType;            ///< lstVchtypes: the source voucher type (none chosen: empty)
    std::optional<ChosenEntry> destinationVchType; ///< cboVchtypeTotransform: the destination voucher type
    std::optional<ChosenEntry> taxMode;            ///< cboTaxMode: item data 0 to 5, none chosen sends no tax statement
    QString categories;                            ///< lstCategories' selected item data ("1,2")
    QString itemClasses;                           ///< LstitemClass's selected item data
    std::vector<ChosenEntry> checked;              ///< lstSource's checked entries, item data InvID, in the list's order

    /// No choice at all.
    RunChoices() = default;
    /// The choices of `controls` as they stand now (not explicit: a run over controls takes them so).
    RunChoices(const RunControls& controls); // NOLINT(google-explicit-constructor)
};

/// The rest of what a run reads from the window.
struct RunSettings {
    /// Reductions of the purchase rate, the sales rate and the MRP, in per cent (0: unchanged).
    double purchaseRatePercent = 0;
    double salesRatePercent = 0;
    double mrpPercent = 0;
    /// Shown texts of cboSourceCompany and cboDestinationCompany, for the user log.
    QString sourceCompany;
    QString destinationCompany;
    /// True from "Start Transform", false from the sync timer (which is not told about vouchers
    /// it finds already transferred, as it would be on every tick).
    bool manual = true;
    /// What the transactions list was made for; null when Show Trans has not listed it. Only its
    /// vouchers are copied, and nothing while the choice or the dates differ from it.
    Listing* listing = nullptr;
    /// The From and To dates chosen now.
    QDate from;
    QDate to;
    /// Where the vouchers that could not be copied are kept for the Transfers page (may be null).
    TransferFailures* failures = nullptr;
};

/// How each copied voucher is changed in the destination.
struct Transformation {
    long long sourceVchType = 0;
    long long destinationVchType = 0;
    /// cboTaxMode's item data; -1 when no tax mode is chosen.
    int taxMode = -1;
    double purchaseRatePercent = 0;
    double salesRatePercent = 0;
    double mrpPercent = 0;
};

/// What a run did.
struct RunOutcome {
    /// False when the voucher types of both sides differ in family and nothing was tried.
    bool familiesMatch = true;
    /// Why nothing was tried (no voucher type chosen, a list made for another choice); "" when tried.
    QString refused;
    /// Vouchers committed in the destination.
    int copied = 0;
    /// Checked vouchers skipped because the destination already has them.
    int alreadyTransferred = 0;
    /// Checked vouchers another program copied between this run's look-up and their copy.
    int copiedMeanwhile = 0;
    /// Checked vouchers whose copy failed or found nothing to copy.
    int failed = 0;
    /// Why the run stopped before the last checked voucher ("" when it went through): a failure of
    /// the surroundings that every further voucher would meet too.
    QString stopped;
};

/// The tables of a voucher family and the name of its sales-rate column.
struct VoucherTables {
    QString master;
    QString detail;
    QString salesRateColumn;
};

/// What a run will do once the choices passed its checks.
struct PreparedRun {
    Transformation how;
    VoucherFamily family = VoucherFamily::None;
    /// The item filter of the copy (" and CategoryID in(1 )"), as the listing was made.
    QString itemFilter;
    /// Shown text of the destination voucher type.
    QString destinationVchTypeText;
    /// cboTaxMode's shown text ("" when none is chosen).
    QString taxModeText;
    qint64 checked = 0;
};

/// Why prepare() gave no run; what it said is already told (a box, the status line).
struct RunRefusal {
    enum class Reason {
        Refused,        ///< the choices or the list do not allow a run
        FamiliesDiffer, ///< the voucher types of both sides are of different families
        Unreachable,    ///< a company database cannot be reached
    };
    Reason reason = Reason::Refused;
    /// The refusal, or the connection failure; empty for FamiliesDiffer.
    QString text;
};

/// A run ready to copy, or why there is none.
using Preparation = std::variant<PreparedRun, RunRefusal>;

/// Copies the checked vouchers of the listing into the destination company under new keys, with
/// only their filtered items, and changes each copy's voucher type, tax type and rates inside the
/// same transaction (uploadTransactions).
class TransformationRun {
public:
    /// Log tag of a voucher that was not copied; the entry's text says why.
    static const QString notTransferredTag;
    /// WindowName of the branch's user-log row of a copy made by Start Transform, and by the timer.
    static const QString copiedByHand;
    static const QString copiedByTimer;
    /// The application lock of the branch database that every voucher copy takes.
    static const QString copyLock;
    /// ReCreateData of the branch's user-log row of a copy whose head-office row is not written yet.
    static const QString owedToHeadOffice;
    /// How the Action of a copy's user-log row begins, before the voucher's entry; the Transfers page finds the rows by it.
    static const QString copyAction;

    /// `now` gives the date and time of the user-log rows.
    TransformationRun(connection::CompanyConnections& connections, report::Reporter& reporter, report::Prompter& prompter,
                      std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); });

    /// Runs the transformation over the checked entries of `choices`, which must be of the listing
    /// of `settings.listing`. Failures are reported and the run goes on with the next voucher.
    RunOutcome run(const RunChoices& choices, const RunSettings& settings);
    /// The checks a run makes before it copies anything, with their boxes: the prepared run, or
    /// why there is none (a refusal, a family mismatch, an unreachable company).
    Preparation prepare(const RunChoices& choices, const RunSettings& settings);

    /// The TaxType written for tax mode `taxMode` ("" when none is written: 0, 4, none chosen).
    static QString taxTypeText(int taxMode);
    /// " INvID=57 and VchtypeID=101": selects one source voucher by its key and the listed voucher
    /// type, whatever its date.
    static QString headerCondition(long long sourceKey, long long vchType);
    /// Why a run must not copy the checked vouchers of a list made for `listing` with the
    /// choice and dates of `settings` ("" when it may). `vchTypeName` is the voucher type chosen now.
    static QString listingRefusal(const Listing* listing, const RunSettings& settings, long long vchType, const QString& vchTypeName);
    /// The query for the destination voucher of `family` that was copied from source key `sourceKey`.
    static QString transferredQuery(VoucherFamily family, long long sourceKey);
    /// The tables of `family` (purchase tables for any family but sales).
    static VoucherTables tables(VoucherFamily family);
    /// "(rate-(rate * 10/100))": the value the reduction of `column` by `percent` gives.
    static QString reducedExpression(const QString& column, double percent);
    /// The branch keys of the vouchers of `keys` that the branch already holds as copies, by head
    /// office key; one read per 500 keys. Throws db::DbError.
    static QHash<long long, QString> transferredKeys(db::Connection& destination, VoucherFamily family, const QList<long long>& keys);
    /// The statements that transform the copy with key `newKey`, in the order of its family.
    static QStringList statements(VoucherFamily family, long long newKey, const Transformation& how);
    /// Writes head office's user-log row of every copy whose branch row is marked owedToHeadOffice
    /// (unless head office has it already) and clears the mark, under the copy lock. Returns the
    /// rows paid. Throws db::DbError; what was not paid stays owed.
    static int payOwedUserLog(db::Connection& branch, db::Connection& headOffice);

private:
    /// The parent voucher type of `chosen` (0 when none or unreadable); `lost` gets the connection
    /// failure that kept it from being read.
    long long parentOn(Company company, const std::optional<ChosenEntry>& chosen, QString& lost);
    enum class Telling { LogOnly, LogAndNotify };
    void notTransferred(const QString& reason, Telling telling);
    QString whyNotCopied(const QString& masterTable, long long sourceKey, const Listing& listing, const QString& sourceCompany);
    RunRefusal refuse(const QString& why);

    struct RunPass;
    /// Whether a run goes on to the next voucher.
    enum class Next { GoOn, Stop };
    /// Fills the copy every voucher of the run shares, with the statements that transform it.
    void prepareCopy(RunPass& pass);
    /// Finds which of the `checked` vouchers the branch holds already; a failure is logged and leaves none found.
    void lookUpTransferred(RunPass& pass, const std::vector<ChosenEntry>& checked);
    /// Copies one checked voucher, or says why not; Stop when every further voucher would fail too.
    Next copyOne(RunPass& pass, long long sourceKey, const QString& entry);
    /// Writes head office's user-log rows still owed, unless the run stopped.
    void writeOwedUserLog(const RunPass& pass);
    /// Closes the progress bar and says how the run ended: balloons and the status line.
    void finish(const RunPass& pass, report::ProgressSteps& bar, qint64 left);

    connection::CompanyConnections& m_connections;
    report::Reporter& m_reporter;
    report::Prompter& m_prompter;
    std::function<QDateTime()> m_now;
    /// True until a run found no head-office user-log row owed: a program that stopped between a
    /// copy and its head-office row left the row owed.
    bool m_owedMayRemain = true;
};

} // namespace transform
