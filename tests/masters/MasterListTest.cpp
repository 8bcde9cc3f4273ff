// The master table list: its rows, the "::" toggle, the right-button rule and the table set.
#include "masters/MasterList.h"

#include "ScriptedPrompter.h"
#include "VectorControls.h"

#include <gtest/gtest.h>

using masters::MasterList;

TEST(MasterListTest, TableSetAndTheRightButtonRule)
{
    support::VectorListControl list;
    MasterList::fill(list);
    const QString all = MasterList::tableSet(list);
    EXPECT_TRUE(all.startsWith("tblLedger;tblArea;tblCategory;tblItemMaster;"));
    EXPECT_TRUE(all.endsWith("tblAgent;tblUnit;"));
    for (int i = 0; i < list.count(); ++i)
        list.setSelected(i, i == 1);
    EXPECT_EQ(MasterList::tableSet(list), "tblArea;");
    list.setSelected(1, false);
    EXPECT_EQ(MasterList::tableSet(list), all);
    EXPECT_EQ(MasterList::tableName("A_b_c"), "b_c");
    // The right button copies the current row's state to every row, or warns without one.
    support::ScriptedPrompter prompter;
    list.setCurrentIndex(4);
    list.setSelected(4, false);
    MasterList::rightButtonPressed(list, prompter);
    for (int i = 0; i < list.count(); ++i)
        EXPECT_FALSE(list.isSelected(i));
    list.setSelected(4, true);
    MasterList::rightButtonPressed(list, prompter);
    for (int i = 0; i < list.count(); ++i)
        EXPECT_TRUE(list.isSelected(i));
    EXPECT_TRUE(prompter.shown.empty());
    // Without a current row it warns and changes nothing.
    list.setCurrentIndex(-1);
    list.setSelected(2, false);
    MasterList::rightButtonPressed(list, prompter);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].icon, report::PromptIcon::Exclamation);
    EXPECT_FALSE(list.isSelected(2));
    EXPECT_TRUE(list.isSelected(1));
}
