// Filling lists from queries: entries, chosen entry, progress window, empty results, failures and lost connections.
#include "TransformFixture.h"

#include "report/Prompter.h"
#include "transform/Filters.h"

using namespace transformtest;
using transform::Company;
using transform::FillOptions;

namespace {

/// Answers every box and runs `onAsk` first, so a test can mend the database while the box is up.
class MendingPrompter : public report::Prompter {
public:
    report::PromptAnswer ask(const report::Prompt& prompt) override
    {
        shown.push_back(prompt);
        if (onAsk)
            onAsk();
        return report::PromptAnswer::Ok;
    }
    std::function<void()> onAsk;
    std::vector<report::Prompt> shown;
};

class ListFillerTest : public TransformFixture {};

} // namespace

TEST_F(ListFillerTest, EachCompanyAnswersFromItsOwnDatabase)
{
    support::VectorListControl source, destination;
    EXPECT_EQ(filler.fill(source, transform::Filters::categoryQuery, FillOptions{false, false, Company::Source}), 15);
    EXPECT_EQ(filler.fill(destination, transform::Filters::categoryQuery, FillOptions{false, false, Company::Destination}), 13);
    EXPECT_TRUE(texts(source).contains("Groceries & Staples"));
    EXPECT_TRUE(texts(destination).contains("Groceries"));
    // Without the progress window only the busy pointer shows.
    EXPECT_EQ(progress.calls, QStringList({"busy", "idle", "busy", "idle"}));
    EXPECT_EQ(progress.steps, 0);

    // Ids given as text become whole item data.
    support::VectorListControl list;
    EXPECT_EQ(filler.fill(list, "select '12', 'Twelve' union all select ' 7x', 'Seven' union all select NULL, 'None'", {}), 3);
    EXPECT_EQ(ids(list), QList<qlonglong>({12, 7, 0}));
    EXPECT_EQ(texts(list), QStringList({"Twelve", "Seven", "None"}));
}

TEST_F(ListFillerTest, QueryWithoutRowsEmptiesTheControlUnlessEntriesAreKept)
{
    support::VectorListControl list;
    list.addItem("old", 1);
    list.setCurrentIndex(0);
    EXPECT_EQ(filler.fill(list, "select VchTypeID, VchType from tblVchType where 1=0", FillOptions{true, false, Company::Source}), 0);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_TRUE(progress.calls.isEmpty());

    // Kept entries stay in front and the first of all is chosen.
    list.addItem("kept", 500);
    list.setCurrentIndex(0);
    EXPECT_EQ(filler.fill(list, "select 1, 'one' union all select 2, 'two'", FillOptions{false, true, Company::Destination}), 2);
    EXPECT_EQ(texts(list), QStringList({"kept", "one", "two"}));
    EXPECT_EQ(list.currentIndex(), 0);
    // Keeping entries with an empty result leaves them as they were.
    EXPECT_EQ(filler.fill(list, "select 1, 'x' where 1=0", FillOptions{false, true, Company::Destination}), 0);
    EXPECT_EQ(list.count(), 3);
}

// A query that fails, or whose rows have no text column, ends the fill with one box, the entries
// so far and the control shown.
TEST_F(ListFillerTest, FailedQueryIsShownAndLeavesTheEntriesAndShowsTheControl)
{
    const std::pair<const char*, QStringList> cases[] = {{"select ID, Name from tblNoSuchTable", {"kept"}},
                                                         {"select VchTypeID from tblVchType", {}}};
    for (const auto& [query, left] : cases) {
        support::VectorListControl list;
        for (const QString& entry : left)
            list.addItem(entry, 1);
        list.visible = false;
        prompter.shown.clear();
        progress.calls.clear();
        EXPECT_EQ(filler.fill(list, query, FillOptions{true, false, Company::Source}), 0);
        ASSERT_EQ(prompter.shown.size(), 1u) << query;
        EXPECT_EQ(prompter.shown[0].icon, report::PromptIcon::Critical);
        EXPECT_EQ(texts(list), left);
        EXPECT_TRUE(list.visible);
        EXPECT_FALSE(progress.busy);
        if (left.isEmpty())
            EXPECT_TRUE(progress.calls.contains("close"));
        else
            EXPECT_EQ(prompter.shown[0].text, "Invalid object name 'tblNoSuchTable'.");
    }
}

TEST_F(ListFillerTest, LostConnectionIsTriedAgainOnceTheOperatorClosedTheBoxThreeTimesAtMost)
{
    MendingPrompter mending;
    // The failure names a lost connection until the table appears while the box is up.
    mending.onAsk = [this] {
        servers.headOffice().execute("create table [Connection failure] (ID int, Name varchar(20))");
        servers.headOffice().execute("insert into [Connection failure] values (4, 'back')");
    };
    transform::ListFiller mendingFiller(connections, reporter, mending, progress);
    support::VectorListControl list;
    EXPECT_EQ(mendingFiller.fill(list, "select ID, Name from [Connection failure]", FillOptions{false, false, Company::Source}), 1);
    ASSERT_EQ(mending.shown.size(), 1u);
    EXPECT_EQ(mending.shown[0].icon, report::PromptIcon::Information);
    EXPECT_EQ(mending.shown[0].text, "Connection Restablished");
    EXPECT_EQ(texts(list), QStringList({"back"}));
    EXPECT_EQ(ids(list), QList<qlonglong>({4}));

    // A connection that stays lost is given up after three tries.
    servers.headOffice().execute("drop table [Connection failure]");
    list.visible = false;
    EXPECT_EQ(filler.fill(list, "select ID, Name from [Connection failure]", FillOptions{false, false, Company::Source}), 0);
    ASSERT_EQ(prompter.shown.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(prompter.shown[size_t(i)].text, "Connection Restablished");
        EXPECT_EQ(prompter.shown[size_t(i)].icon, report::PromptIcon::Information);
    }
    EXPECT_EQ(prompter.shown[3].icon, report::PromptIcon::Critical);
    EXPECT_EQ(prompter.shown[3].text, "Invalid object name 'Connection failure'.");
    EXPECT_TRUE(list.visible);
    EXPECT_FALSE(progress.busy);
}
