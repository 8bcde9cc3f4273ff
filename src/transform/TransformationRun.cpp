#include "transform/TransformationRun.h"

#include "connection/CompanyConnections.h"
#include "connection/UserLog.h"
#include "db/Connection.h"
#include "text/DateText.h"
#include "db/DbError.h"
#include "db/Transaction.h"
#include "text/NumberText.h"
#include "masters/DatabaseUpdate.h"
#include "replication/TransactionCopier.h"
#include "report/ListControl.h"
#include "report/Prompter.h"
#include "report/ProgressSteps.h"
#include "report/Reporter.h"
#include "transform/Filters.h"
#include "transform/KeyBatches.h"
#include "transform/TransactionListing.h"
#include "transform/TransferFailures.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace transform {

namespace {

QString reduction(const QString& table, const QString& column, double percent, const QString& key)
{
    return QStringLiteral("Update ") + table + QStringLiteral(" set ") + column + QLatin1Char('=')
        + TransformationRun::reducedExpression(column, percent) + QStringLiteral(" where InvID=") + key;
}

} // namespace

const QString TransformationRun::notTransferredTag = QStringLiteral("Not transferred");
const QString TransformationRun::copiedByHand = QStringLiteral("Start Transform");
const QString TransformationRun::copiedByTimer = QStringLiteral("Sync timer");
const QString TransformationRun::copyLock = QStringLiteral("Mirtane voucher copy");
const QString TransformationRun::owedToHeadOffice = QStringLiteral("Owed to head office");
const QString TransformationRun::copyAction = QStringLiteral("Transation No ");

VoucherTables TransformationRun::tables(VoucherFamily family)
{
    if (family == VoucherFamily::Sales)
        return {QStringLiteral("tblSales"), QStringLiteral("tblSalesItem"), QStringLiteral("rate")};
    return {QStringLiteral("tblPurchase"), QStringLiteral("tblPurchaseItem"), QStringLiteral("Srate")};
}

QString TransformationRun::reducedExpression(const QString& column, double percent)
{
    return QStringLiteral("(") + column + QStringLiteral("-(") + column + QStringLiteral(" * ") + text::NumberText::plain(percent)
        + QStringLiteral("/100))");
}

QHash<long long, QString> TransformationRun::transferredKeys(db::Connection& destination, VoucherFamily family, const QList<long long>& keys)
{
    QHash<long long, QString> transferred;
    const QString master = tables(family).master;
    for (const QString& batch : KeyBatches::of(keys)) {
        db::Recordset rows = destination.openRecordset(QStringLiteral("Select ServInvID, InvID from ") + master
                                                       + QStringLiteral(" where ServInvID in (") + batch + QLatin1Char(')'));
        for (; !rows.eof(); rows.moveNext())
            transferred.insert(rows.field(0).value().toLongLong(), rows.field(1).text());
    }
    return transferred;
}

TransformationRun::TransformationRun(connection::CompanyConnections& connections, report::Reporter& reporter, report::Prompter& prompter,
                                     std::function<QDateTime()> now)
    : m_connections(connections)
    , m_reporter(reporter)
    , m_prompter(prompter)
    , m_now(std::move(now))
{
}

QString TransformationRun::taxTypeText(int taxMode)
{
    switch (taxMode) {
    case 1:
        return QStringLiteral("<None>");
    case 2:
        return QStringLiteral("VAT");
    case 3:
        return QStringLiteral("CST");
    case 5:
        return QStringLiteral("GST");
    default:
        return {};
    }
}

QString TransformationRun::headerCondition(long long sourceKey, long long vchType)
{
    return QStringLiteral(" INvID=") + QString::number(sourceKey) + QStringLiteral(" and VchtypeID=") + QString::number(vchType);
}

QString TransformationRun::listingRefusal(const Listing* listing, const RunSettings& settings, long long vchType, const QString& vchTypeName)
{
    const QString again = QStringLiteral(" Nothing was copied. Press Show Trans again to list the vouchers to transform.");
    if (!listing)
        return QStringLiteral("The list was not made by Show Trans for the companies connected now.") + again;
    if (listing->sourceCompany != settings.sourceCompany)
        return QStringLiteral("The list was made for the vouchers of ") + listing->sourceCompany + QStringLiteral(", not of ")
            + settings.sourceCompany + QLatin1Char('.') + again;
    if (listing->vchType != vchType)
        return QStringLiteral("The list was made for ") + listing->vchTypeName + QStringLiteral(" vouchers, but the voucher type to transform is now ")
            + vchTypeName + QLatin1Char('.') + again;
    const auto range = [](const QDate& from, const QDate& to) {
        return to == TransactionListing::singleDayMark() ? text::DateText::dayMonthYear(from)
                                                         : text::DateText::dayMonthYear(from) + QStringLiteral(" to ") + text::DateText::dayMonthYear(to);
    };
    if (listing->from != settings.from || listing->to != settings.to)
        return QStringLiteral("The list was made for the dates ") + range(listing->from, listing->to) + QStringLiteral(", but the dates are now ")
            + range(settings.from, settings.to) + QLatin1Char('.') + again;
    return {};
}

QString TransformationRun::transferredQuery(VoucherFamily family, long long sourceKey)
{
    return QStringLiteral("Select top 1 InvID from ") + tables(family).master + QStringLiteral(" where ServInvID=") + QString::number(sourceKey);
}

QStringList TransformationRun::statements(VoucherFamily family, long long newKey, const Transformation& how)
{
    if (family == VoucherFamily::None)
        return {};
    const VoucherTables tables = TransformationRun::tables(family);
    const QString key = QString::number(newKey);
    const QString syncStat = QStringLiteral("Update ") + tables.master + QStringLiteral(" set SyncStat=0  where InvID=") + key;
    const QString taxType = taxTypeText(how.taxMode);

    QStringList all;
    if (family == VoucherFamily::Sales)
        all << syncStat;
    if (!taxType.isEmpty())
        all << QStringLiteral("Update ") + tables.master + QStringLiteral(" set TaxType='") + taxType + QStringLiteral("' where InvID=") + key;
    if (family == VoucherFamily::Purchase)
        all << syncStat;
    if (how.sourceVchType != how.destinationVchType)
        all << QStringLiteral("Update ") + tables.master + QStringLiteral(" set VchtypeID=") + QString::number(how.destinationVchType)
                + QStringLiteral(" where InvID=") + key;
    if (how.purchaseRatePercent != 0)
        all << reduction(tables.detail, QStringLiteral("Prate"), how.purchaseRatePercent, key);
    if (how.salesRatePercent != 0)
        all << reduction(tables.detail, tables.salesRateColumn, how.salesRatePercent, key);
    if (how.mrpPercent != 0)
        all << reduction(tables.detail, QStringLiteral("MRP"), how.mrpPercent, key);
    return all;
}

int TransformationRun::payOwedUserLog(db::Connection& branch, db::Connection& headOffice)
{
    const auto quoted = [](QString text) { return text.replace(QLatin1Char('\''), QStringLiteral("''")); };
    // Under the copy lock: two programs paying at once would both find head office without the row.
    db::Transaction transaction(branch);
    replication::TransactionCopier::takeLock(branch, copyLock);
    const QString owed = QStringLiteral(" and ReCreateData like '") + owedToHeadOffice + QLatin1Char('\'');
    db::Recordset rows = branch.openRecordset(QStringLiteral("Select DateOf, TimeOF, Action, TypeofAction from tbluserlog where 1=1") + owed);
    int paid = 0;
    for (; !rows.eof(); rows.moveNext()) {
        const QDate date = rows.field(0).value().toDateTime().date();
        const QString time = rows.field(1).text();
        connection::UserLogEntry entry;
        entry.actionType = int(connection::UserAction::New);
        entry.action = rows.field(2).text();
        const QString same = QStringLiteral(" where Action='") + quoted(entry.action) + QStringLiteral("' and DateOf='")
            + text::DateText::dayMonthYear(date) + QStringLiteral("' and TimeOF='") + quoted(time) + QStringLiteral("' and TypeofAction='")
            + quoted(rows.field(3).text()) + QLatin1Char('\'');
        // A row written before a program stopped short of clearing its mark is not written again.
        headOffice.execute(QStringLiteral("IF NOT EXISTS (select 1 from tbluserlog") + same + QStringLiteral(") ")
                           + connection::UserLog::statement(entry, QDateTime(date, QTime::fromString(time, QStringLiteral("hh:mm:ss AP")))));
        ++paid;
    }
    // One pass over the branch's log rather than one per row; the lock keeps other copiers from
    // adding owed rows meanwhile, and should a head-office write fail, no mark is cleared and the
    // rows written so far are found there next time.
    if (paid > 0)
        branch.execute(QStringLiteral("update tbluserlog set ReCreateData='' where 1=1") + owed);
    transaction.commit();
    return paid;
}

RunChoices::RunChoices(const RunControls& controls)
{
    const auto chosen = [](const report::ListControl& list) -> std::optional<ChosenEntry> {
        const int index = list.currentIndex();
        if (index < 0)
            return std::nullopt;
        return ChosenEntry{list.itemData(index), list.text(index)};
    };
    vchType = chosen(controls.vchTypes);
    destinationVchType = chosen(controls.destinationVchTypes);
    taxMode = chosen(controls.taxModes);
    categories = Filters::selectedItemDataList(controls.categories);
    itemClasses = Filters::selectedItemDataList(controls.itemClasses);
    const report::ListControl& list = controls.transactions;
    for (int i = 0; i < list.count(); ++i)
        if (list.isChecked(i))
            checked.push_back({list.itemData(i), list.text(i)});
}

long long TransformationRun::parentOn(Company company, const std::optional<ChosenEntry>& chosen, QString& lost)
{
    const bool source = company == Company::Source;
    if (!chosen) {
        m_reporter.balloon(source ? QStringLiteral("No voucher type to transform is chosen.")
                                  : QStringLiteral("No destination voucher type is chosen."));
        return 0;
    }
    try {
        return parentOfVchType(source ? m_connections.source() : m_connections.destination(), chosen->id);
    } catch (const std::exception& e) {
        m_reporter.balloon(QString::fromStdString(e.what()));
        if (const auto* error = dynamic_cast<const db::DbError*>(&e); error && error->isConnectionFailure())
            lost = error->message();
        return 0;
    }
}

RunRefusal TransformationRun::refuse(const QString& why)
{
    m_prompter.tell(report::PromptIcon::Exclamation, why);
    return RunRefusal{RunRefusal::Reason::Refused, why};
}

QString TransformationRun::whyNotCopied(const QString& masterTable, long long sourceKey, const Listing& listing, const QString& sourceCompany)
{
    // The copy selects by key and listed voucher type: say which of the two did not match.
    db::Recordset row = m_connections.source().openRecordset(QStringLiteral("Select VchtypeID from ") + masterTable
                                                             + QStringLiteral(" where InvID=") + QString::number(sourceKey));
    if (row.eof())
        return QStringLiteral("InvID ") + QString::number(sourceKey) + QStringLiteral(" is not in ") + sourceCompany;
    return QStringLiteral("InvID ") + QString::number(sourceKey) + QStringLiteral(" in ") + sourceCompany + QStringLiteral(" is of voucher type ")
        + row.field(0).text() + QStringLiteral(", not ") + listing.vchTypeName;
}

void TransformationRun::notTransferred(const QString& reason, Telling telling)
{
    m_reporter.log(notTransferredTag, reason);
    if (telling == Telling::LogAndNotify)
        m_reporter.balloon(reason);
}

Preparation TransformationRun::prepare(const RunChoices& choices, const RunSettings& settings)
{
    PreparedRun prepared;
    Transformation& how = prepared.how;
    if (!choices.vchType)
        return refuse(QStringLiteral("Choose the voucher type to transform (VchTypes To Transform) and press Show Trans first. Nothing was copied."));
    how.sourceVchType = choices.vchType->id;
    how.destinationVchType = choices.destinationVchType ? choices.destinationVchType->id : 0;

    prepared.checked = qint64(choices.checked.size());
    // Keys alone do not name a voucher: the list's keys mean something only for the voucher type,
    // family, company and dates it was made for.
    if (prepared.checked > 0) {
        const QString why = listingRefusal(settings.listing, settings, how.sourceVchType, choices.vchType->text);
        if (!why.isEmpty())
            return refuse(why);
    }

    QString lost;
    const long long sourceParent = parentOn(Company::Source, choices.vchType, lost);
    const long long destinationParent = parentOn(Company::Destination, choices.destinationVchType, lost);
    prepared.destinationVchTypeText = choices.destinationVchType ? choices.destinationVchType->text : QString();
    if (!lost.isEmpty()) {
        // Not a question of voucher families: a company database cannot be reached.
        m_reporter.status(QStringLiteral("Transformation stopped: ") + lost);
        return RunRefusal{RunRefusal::Reason::Unreachable, lost};
    }
    if (prepared.checked > 0 && familyOfParent(sourceParent) != settings.listing->family)
        return refuse(QStringLiteral("The list was made for ") + settings.listing->vchTypeName
                      + QStringLiteral(" vouchers of another family than head office's voucher type has now.")
                      + QStringLiteral(" Nothing was copied. Press Show Trans again to list the vouchers to transform."));
    if (sourceParent != destinationParent) {
        m_prompter.tell(report::PromptIcon::Critical, QStringLiteral("Sorry you can't migrate ") + choices.vchType->text
                                                          + QStringLiteral(" to ") + prepared.destinationVchTypeText);
        return RunRefusal{RunRefusal::Reason::FamiliesDiffer, QString()};
    }
    prepared.family = familyOfParent(sourceParent);

    how.taxMode = choices.taxMode ? int(choices.taxMode->id) : -1;
    prepared.taxModeText = choices.taxMode ? choices.taxMode->text : QString();
    how.purchaseRatePercent = settings.purchaseRatePercent;
    how.salesRatePercent = settings.salesRatePercent;
    how.mrpPercent = settings.mrpPercent;
    // The items are filtered as they were when the list was made, so the copy holds what was listed.
    prepared.itemFilter = settings.listing
        ? TransactionListing::filterClause(settings.listing->categories, settings.listing->itemClasses)
        : TransactionListing::filterClause(choices.categories, choices.itemClasses);
    return prepared;
}

/// What one run works with once it copies: the prepared choices, the copy every voucher shares,
/// and what the vouchers copied so far came to.
struct TransformationRun::RunPass {
    RunPass(const PreparedRun& prepared, const RunSettings& settings, RunOutcome& outcome, db::Connection& source, db::Connection& destination,
            report::Reporter& reporter)
        : prepared(prepared)
        , settings(settings)
        , outcome(outcome)
        , source(source)
        , destination(destination)
        , copier(source, destination, reporter)
        , tables(TransformationRun::tables(prepared.family))
    {
    }

    const PreparedRun& prepared;
    const RunSettings& settings;
    RunOutcome& outcome;
    db::Connection& source;
    db::Connection& destination;
    replication::TransactionCopier copier;
    const VoucherTables tables;
    replication::VoucherCopy copy;
    /// The user-log row of the voucher being copied.
    connection::UserLogEntry row;
    /// Branch keys of the listed vouchers the branch holds already, by head office key.
    QHash<long long, QString> transferred;
    QString lastAlreadyTransferred;
    QString lastCopiedMeanwhile;
    /// Why the run stopped before the last voucher ("" while it goes on).
    QString stopReason;
};

RunOutcome TransformationRun::run(const RunChoices& choices, const RunSettings& settings)
{
    RunOutcome outcome;
    m_reporter.log(QStringLiteral(" Auto synch Getting eligible vouchers  "), QString());
    m_reporter.progress(QString());

    const Preparation preparation = prepare(choices, settings);
    if (const RunRefusal* refusal = std::get_if<RunRefusal>(&preparation)) {
        if (refusal->reason == RunRefusal::Reason::Refused)
            outcome.refused = refusal->text;
        outcome.familiesMatch = refusal->reason != RunRefusal::Reason::FamiliesDiffer;
        return outcome;
    }
    const PreparedRun& prepared = std::get<PreparedRun>(preparation);
    m_reporter.log(QStringLiteral(" Entered to Insert Area  "), QString());

    if (prepared.family == VoucherFamily::None) {
        // Said once for the whole run rather than once for every checked voucher.
        outcome.failed = int(prepared.checked);
        if (outcome.failed > 0)
            notTransferred(QStringLiteral("No voucher transferred: choose a sales or purchase voucher type on both sides."), Telling::LogAndNotify);
        m_reporter.status(QStringLiteral("MIgration Over"));
        return outcome;
    }

    db::Connection& destination = m_connections.destination();
    db::Connection& source = m_connections.source();
    RunPass pass(prepared, settings, outcome, source, destination, m_reporter);
    prepareCopy(pass);
    lookUpTransferred(pass, choices.checked);
    report::ProgressSteps bar(m_reporter, QStringLiteral("Transformation"), prepared.checked);
    qint64 visited = 0;
    for (const ChosenEntry& entry : choices.checked) {
        bar.moveTo(std::min(visited++, prepared.checked));
        if (copyOne(pass, entry.id, entry.text) == Next::Stop)
            break;
    }
    writeOwedUserLog(pass);
    finish(pass, bar, prepared.checked - visited);
    return outcome;
}

void TransformationRun::prepareCopy(RunPass& pass)
{
    replication::VoucherCopy& copy = pass.copy;
    copy.masterTable = pass.tables.master;
    copy.detailTable = pass.tables.detail;
    copy.keyColumn = QStringLiteral("InvID");
    copy.detailCondition = QStringLiteral(" and ") + pass.tables.detail + QStringLiteral(".ItemID=tblItemMaster.ItemID ") + pass.prepared.itemFilter;
    copy.detailSource = pass.tables.detail + QStringLiteral(",tblItemMaster");
    // Two programs (two PCs, a double click, a timer beside a button) copy into one branch one
    // voucher at a time, each looking again under the lock whether the voucher is there.
    copy.lockResource = copyLock;
    // Inside the copy's transaction: a voucher is never left in the destination half transformed,
    // nor without the branch's user-log row that records it.
    pass.row.actionType = int(connection::UserAction::New);
    copy.extraStatements = [this, &pass](long long newKey) {
        const Transformation& how = pass.prepared.how;
        QStringList all = statements(pass.prepared.family, newKey, how);
        // The branch's row names the copy and how it was started, for the Transfers page.
        connection::UserLogEntry branchRow = pass.row;
        branchRow.refId = qint32(newKey);
        branchRow.vchTypeId = qint16(how.destinationVchType);
        branchRow.windowName = pass.settings.manual ? copiedByHand : copiedByTimer;
        // Head office's row is owed from the moment the copy commits; it is written from this row.
        branchRow.reCreateData = owedToHeadOffice;
        all << connection::UserLog::statement(branchRow, m_now());
        return all;
    };
}

void TransformationRun::lookUpTransferred(RunPass& pass, const std::vector<ChosenEntry>& checked)
{
    QList<long long> keys;
    for (const ChosenEntry& entry : checked)
        keys << entry.id;
    // The vouchers of the list the branch already holds, found in one read per 500 keys rather
    // than one read of the branch's whole table per checked voucher on every tick.
    try {
        pass.transferred = transferredKeys(pass.destination, pass.prepared.family, keys);
    } catch (const db::DbError& e) {
        // Each voucher is looked up on its own below, and its failure reported there.
        pass.transferred.clear();
        m_reporter.log(notTransferredTag, e.message());
    }
}

TransformationRun::Next TransformationRun::copyOne(RunPass& pass, long long sourceKey, const QString& entry)
{
    const RunSettings& settings = pass.settings;
    RunOutcome& outcome = pass.outcome;
    const QString voucher = QStringLiteral("Voucher ") + entry + QStringLiteral(" not transferred: ");
    const auto failedWith = [&](const QString& reason) {
        ++outcome.failed;
        if (settings.failures)
            settings.failures->failed(sourceKey, entry, reason, m_now());
    };
    try {
        // The mark the copy writes names the source key: a voucher found by it is never copied
        // twice. One not found above is looked up again by the copy, under its lock.
        const QString copiedAs = pass.transferred.value(sourceKey);
        if (!copiedAs.isEmpty()) {
            ++outcome.alreadyTransferred;
            if (settings.failures)
                settings.failures->copied(sourceKey);
            pass.lastAlreadyTransferred = voucher + QStringLiteral("already transferred to ") + settings.destinationCompany
                + QStringLiteral(" as InvID ") + copiedAs;
            // Once for the list: a timer finds the same vouchers on every tick.
            if (!settings.listing->loggedAsTransferred.contains(sourceKey)) {
                settings.listing->loggedAsTransferred.insert(sourceKey);
                notTransferred(pass.lastAlreadyTransferred, Telling::LogOnly);
            }
            return Next::GoOn;
        }

        pass.copy.masterCondition = headerCondition(sourceKey, settings.listing->vchType);
        pass.copy.alreadyCopiedQuery = transferredQuery(pass.prepared.family, sourceKey);
        pass.row.action = copyAction + entry + QStringLiteral(" transfered from ") + settings.sourceCompany + QStringLiteral(" to ")
            + settings.destinationCompany + QStringLiteral(" in vchtype ") + pass.prepared.destinationVchTypeText;
        const replication::VoucherOutcome copied = pass.copier.copy(pass.copy);
        if (!copied.alreadyCopiedAs.isEmpty()) {
            ++outcome.copiedMeanwhile;
            if (settings.failures)
                settings.failures->copied(sourceKey);
            settings.listing->loggedAsTransferred.insert(sourceKey);
            pass.lastCopiedMeanwhile = voucher + QStringLiteral("copied meanwhile by another program as InvID ") + copied.alreadyCopiedAs;
            notTransferred(pass.lastCopiedMeanwhile, Telling::LogOnly);
            return Next::GoOn;
        }
        if (copied.notInserted > 0)
            m_prompter.tell(report::PromptIcon::Critical, QStringLiteral("Failed to update ") + pass.tables.master);
        if (copied.committed == 0) {
            const QString reason = copied.newKey == 0 ? whyNotCopied(pass.tables.master, sourceKey, *settings.listing, settings.sourceCompany)
                                                      : settings.destinationCompany + QStringLiteral(" did not accept it");
            failedWith(reason);
            notTransferred(voucher + reason, Telling::LogAndNotify);
            return Next::GoOn;
        }
        ++outcome.copied;
        if (settings.failures)
            settings.failures->copied(sourceKey);
        m_owedMayRemain = true;
    } catch (const db::DbError& e) {
        failedWith(e.message());
        if (e.isEnvironmentFailure()) {
            pass.stopReason = masters::DatabaseUpdate::explain(e);
            return Next::Stop;
        }
        notTransferred(voucher + e.message(), Telling::LogAndNotify);
    } catch (const std::exception& e) {
        failedWith(QString::fromStdString(e.what()));
        notTransferred(voucher + QString::fromStdString(e.what()), Telling::LogAndNotify);
    }
    return Next::GoOn;
}

void TransformationRun::writeOwedUserLog(const RunPass& pass)
{
    // Head office's rows of this run's copies, and of any a stopped program left owed. Not after the
    // branch itself failed: the rows stay owed until it works again.
    if (!m_owedMayRemain || !pass.stopReason.isEmpty())
        return;
    try {
        payOwedUserLog(pass.destination, pass.source);
        m_owedMayRemain = false;
    } catch (const std::exception& e) {
        const QString owed = QStringLiteral("Head office's user-log rows of the copies are not written yet: ") + QString::fromStdString(e.what())
            + QStringLiteral(" They are written at the next run.");
        m_reporter.log(notTransferredTag, owed);
        if (pass.settings.manual)
            m_reporter.balloon(owed);
    }
}

void TransformationRun::finish(const RunPass& pass, report::ProgressSteps& bar, qint64 left)
{
    RunOutcome& outcome = pass.outcome;
    // Said once for the run, by Start Transform and the timer alike: the next run finds these
    // vouchers already transferred and says nothing more of them.
    if (outcome.copiedMeanwhile == 1)
        m_reporter.balloon(pass.lastCopiedMeanwhile);
    else if (outcome.copiedMeanwhile > 1)
        m_reporter.balloon(QString::number(outcome.copiedMeanwhile) + QStringLiteral(" vouchers not transferred: copied meanwhile by another program (see the log)"));

    // A failing disk, a full disk, a lost connection or a missing table fails every voucher alike:
    // one message, and the vouchers not yet tried wait for the next run.
    if (!pass.stopReason.isEmpty()) {
        outcome.stopped = pass.stopReason;
        bar.finish();
        const QString stopped = QStringLiteral("Transformation stopped: ") + pass.stopReason + QStringLiteral(" ") + QString::number(outcome.copied)
            + QStringLiteral(" copied; ") + QString::number(left + 1) + QStringLiteral(" not copied, left for the next run.");
        notTransferred(stopped, Telling::LogAndNotify);
        m_reporter.status(QStringLiteral("Transformation stopped: ") + pass.stopReason);
        return;
    }

    // One notification for all of them; each one has its own log entry. The timer, which finds
    // the same vouchers on every tick, only logs them.
    bar.finish();
    const RunSettings& settings = pass.settings;
    if (settings.manual && outcome.alreadyTransferred == 1)
        m_reporter.balloon(pass.lastAlreadyTransferred);
    else if (settings.manual && outcome.alreadyTransferred > 1)
        m_reporter.balloon(QString::number(outcome.alreadyTransferred) + QStringLiteral(" vouchers not transferred: already transferred to ")
                           + settings.destinationCompany + QStringLiteral(" (see the log)"));
    m_reporter.status(QStringLiteral("MIgration Over"));
}

} // namespace transform
