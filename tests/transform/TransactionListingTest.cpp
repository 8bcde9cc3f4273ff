// Show Trans on the demo head office, the listing and id queries of both families, bill amounts and SelectBills.
#include "TransformFixture.h"

#include "text/NumberText.h"
#include "transform/Filters.h"
#include "transform/TransactionListing.h"

using namespace transformtest;
using transform::Entries;
using transform::TransactionListing;

namespace {

QList<int> checkedIndexes(const support::VectorListControl& list)
{
    QList<int> all;
    for (int i = 0; i < list.count(); ++i)
        if (list.isChecked(i))
            all << i;
    return all;
}

class TransactionListingTest : public TransformFixture {
protected:
    TransactionListingTest()
    {
        filler.fill(vchTypes, transform::Filters::vchTypeQuery, transform::FillOptions{false, false, transform::Company::Source});
        filler.fill(categories, transform::Filters::categoryQuery, transform::FillOptions{false, false, transform::Company::Destination});
        for (int i = 0; i <= 9; ++i)
            itemClasses.addItem(QString::number(i), i);
        progress.calls.clear();
        steps.showTotals = [this](const text::Decimal& total, const text::Decimal& selected) {
            totals << text::NumberText::plain(total) << text::NumberText::plain(selected);
        };
        steps.mastersDiffer = [this] {
            ++comparisons;
            return mastersDiffer;
        };
    }

    void choose(qlonglong vchType) { vchTypes.current = int(ids(vchTypes).indexOf(vchType)); }
    static void select(support::VectorListControl& list, QList<qlonglong> wanted)
    {
        for (auto& entry : list.entries)
            entry.selected = wanted.contains(entry.itemData);
    }
    bool show(const QDate& from = QDate(2026, 12, 2), const QDate& to = QDate(2026, 12, 6))
    {
        return listing.showTransactions(transform::ListingControls{vchTypes, categories, itemClasses, transactions}, from, to, steps);
    }

    support::VectorListControl vchTypes, categories, itemClasses, transactions;
    transform::ListingSteps steps;
    QStringList totals;
    int comparisons = 0;
    bool mastersDiffer = false;
    TransactionListing listing{connections, filler, reporter, prompter, progress};
};

// Amounts, totals and the automatic selection need no database.
class VoucherSelectionTest : public ::testing::Test {
protected:
    static support::VectorListControl amounts(QList<double> values)
    {
        support::VectorListControl list;
        for (int i = 0; i < values.size(); ++i)
            list.addItem(QStringLiteral("V/%1 - Party-   Dec  2 2026 -                       ").arg(i) + text::NumberText::plain(values[i]), i + 1);
        return list;
    }

    connection::CompanyConnections connections{db::ConnectionContext{}};
    support::RecordingReporter reporter;
    support::ScriptedPrompter prompter;
    RecordingProgress progress;
    transform::ListFiller filler{connections, reporter, prompter, progress};
    TransactionListing listing{connections, filler, reporter, prompter, progress};
};

} // namespace

TEST_F(TransactionListingTest, SalesFiltersKeepVouchersWithAMatchingItemAndTheSingleDayMarkTheFromDate)
{
    choose(101);
    select(categories, {10});
    select(itemClasses, {9});
    ASSERT_TRUE(show());
    EXPECT_EQ(ids(transactions), QList<qlonglong>({1, 18}));
    EXPECT_EQ(totals, QStringList({"5813", "5813"}));
    EXPECT_TRUE(prompter.shown.empty());

    // The single-day mark lists only the From date.
    select(categories, {});
    select(itemClasses, {});
    ASSERT_TRUE(show(QDate(2026, 12, 3), TransactionListing::singleDayMark()));
    EXPECT_EQ(ids(transactions), QList<qlonglong>({8, 9}));
}

TEST_F(TransactionListingTest, PurchaseFiltersIgnoreTypeAndDatesButTheListingAppliesThem)
{
    choose(201);
    ASSERT_TRUE(show());
    EXPECT_EQ(ids(transactions), QList<qlonglong>({1, 4, 5, 6, 10}));
    EXPECT_EQ(transactions.text(3), "LP/4 - Dec  6 2026 -//-                       60911.00");

    // Kitchenware is in purchases 6 (201), 7 (401) and 9 (202); only 6 is of the type.
    select(categories, {9});
    ASSERT_TRUE(show());
    EXPECT_EQ(ids(transactions), QList<qlonglong>({6}));
    EXPECT_EQ(totals.mid(2), QStringList({"60911", "60911"}));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(TransactionListingTest, FiltersMatchingNothingAreDroppedWithTheFamilysMessage)
{
    choose(101);
    select(itemClasses, {2});
    ASSERT_TRUE(show());
    EXPECT_EQ(ids(transactions), QList<qlonglong>({1, 3, 8, 9, 14, 18, 30}));
    choose(201);
    select(itemClasses, {9});
    ASSERT_TRUE(show());
    EXPECT_EQ(ids(transactions), QList<qlonglong>({1, 4, 5, 6, 10}));
    EXPECT_EQ(boxTexts(), QStringList({"No invoices found.Filters removed automaticaly", "No Purchase invoices found.Filters removed automaticaly"}));
    EXPECT_EQ(prompter.shown[0].icon, report::PromptIcon::Critical);
}

TEST_F(TransactionListingTest, TypeOfAnotherFamilyListsNothingAndAFailureEndsShowTransWithItsDescription)
{
    vchTypes.addItem("Receipt", 5);
    choose(5);
    transactions.addItem("old", 1);
    ASSERT_TRUE(show());
    EXPECT_EQ(transactions.count(), 0);
    EXPECT_EQ(totals, QStringList({"0", "0"}));

    totals.clear();
    comparisons = 0;
    transactions.addItem("old", 1);
    vchTypes.current = -1;
    EXPECT_FALSE(show());
    EXPECT_EQ(transactions.count(), 0);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].icon, report::PromptIcon::Critical);
    EXPECT_EQ(prompter.shown[0].text, "Choose the voucher type to list first.");
    EXPECT_FALSE(progress.busy);

    choose(101);
    connections.destination().close();
    prompter.shown.clear();
    EXPECT_FALSE(show());
    EXPECT_EQ(boxTexts(), QStringList({"Operation is not allowed when the object is closed."}));
    EXPECT_TRUE(totals.isEmpty());
    EXPECT_EQ(comparisons, 0);
    EXPECT_FALSE(progress.busy);
}

TEST_F(VoucherSelectionTest, AmountIsTheWholeNumberThatEndsTheEntry)
{
    const auto amount = [](const char* entry) { return TransactionListing::entryAmount(entry).text(); };
    EXPECT_EQ(amount("CS/1 - Cash-   Dec  2 2026 -                       123456.78"), "123456.78");
    EXPECT_EQ(amount("PR/1 - Dec  2 2026 -//-                       -250.5  "), "-250.5");
    EXPECT_EQ(amount("CS/1 - Cash-   Dec  2 2026 -                       "), "0");
    EXPECT_EQ(amount(""), "0");
    EXPECT_EQ(amount("7"), "7");

    support::VectorListControl list = amounts({123456.78, -100, 50});
    EXPECT_EQ(TransactionListing::billAmount(list, Entries::All).text(), "123606.78");
    EXPECT_EQ(TransactionListing::billAmount(list, Entries::CheckedOnly).text(), "0");
    list.setChecked(0, true);
    list.setChecked(1, true);
    EXPECT_EQ(TransactionListing::billAmount(list, Entries::CheckedOnly).text(), "123556.78");
    EXPECT_EQ(TransactionListing::billAmount(support::VectorListControl{}, Entries::All).text(), "0");
    // Large totals add to the cent, as the server's own sums do.
    support::VectorListControl large;
    large.addItem("V/1 - Party-   Dec  2 2026 -      12345678901234.56", 1);
    large.addItem("V/2 - Party-   Dec  2 2026 -      0.01", 2);
    EXPECT_EQ(TransactionListing::billAmount(large, Entries::All).text(), "12345678901234.57");

    TransactionListing::checkAll(list, true);
    EXPECT_EQ(checkedIndexes(list), QList<int>({0, 1, 2}));
    TransactionListing::checkAll(list, false);
    EXPECT_TRUE(checkedIndexes(list).isEmpty());
}

TEST_F(VoucherSelectionTest, SelectBillsChecksEntriesUpToTheRequiredValue)
{
    struct Case {
        const char* what;
        QList<double> amounts;
        QList<int> checkedBefore;
        double required;
        QList<int> checked;
    };
    const Case cases[] = {
        {"the first pass stops before the entry that passes the value", {100, 200, 300, 400}, {}, 450, {1}},
        {"zero checks nothing", {100, 200, 300, 400}, {}, 0, {}},
        {"a single entry is never checked", {500}, {}, 1000, {}},
        // Pass 1 adds 1, 3, 5 (30); pass 2 adds 1, 4 (50); pass 3 adds 1 (60) and 2 (70), which passes 65.
        {"the second and third pass run on", {10, 10, 10, 10, 10, 10, 10}, {0}, 65, {0, 1, 2, 3, 4, 5}},
        {"a sum equal to the value stops", {1, 50, 70}, {}, 50, {1}},
    };
    for (const Case& c : cases) {
        support::VectorListControl list = amounts(c.amounts);
        for (int i : c.checkedBefore)
            list.setChecked(i, true);
        listing.selectBills(list, text::Decimal::fromDouble(c.required));
        EXPECT_EQ(checkedIndexes(list), c.checked) << c.what;
    }
}
