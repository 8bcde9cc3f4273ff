// Transformation filters: filling, restoring without writing back, saving each choice, narrowing the destination types.
#include "TransformFixture.h"

#include "report/IniSetting.h"
#include "report/TextFile.h"
#include "transform/Filters.h"

#include <QDir>

#include <functional>

using namespace transformtest;

namespace {

/// A list that runs its change handler whenever an entry is chosen or selected, as the widgets do.
class ReportingList : public support::VectorListControl {
public:
    void setSelected(int i, bool s) override
    {
        VectorListControl::setSelected(i, s);
        if (onChange)
            onChange();
    }
    void setCurrentIndex(int i) override
    {
        VectorListControl::setCurrentIndex(i);
        if (onChange)
            onChange();
    }
    std::function<void()> onChange;
};

class FiltersTest : public TransformFixture {
protected:
    FiltersTest()
    {
        for (int i = 0; i < 10; ++i)
            itemClasses.addItem(QString::number(i), i);
        for (int i = 0; i < 6; ++i)
            taxModes.addItem(QString::number(i), i);
        // Every change tries to save, as a careless window would: only the operator's own changes may reach the file.
        categories.onChange = [this] { filters.saveCategories(); };
        itemClasses.onChange = [this] { filters.saveItemClasses(); };
        vchTypes.onChange = [this] { filters.saveVchType(); };
        taxModes.onChange = [this] { filters.saveTaxMode(); };
    }

    QString saved(const QString& key) { return report::IniSetting::read(path, key, "(missing)"); }
    void save(const QString& key, const QString& value) { report::IniSetting::write(path, key, value); }
    static QList<qlonglong> selectedIds(const support::VectorListControl& list)
    {
        QList<qlonglong> all;
        for (const auto& entry : list.entries)
            if (entry.selected)
                all << entry.itemData;
        return all;
    }
    static qlonglong chosenId(const support::VectorListControl& list) { return list.itemData(list.currentIndex()); }

    QString path = QDir(servers.folder()).filePath("Resources/Appsettings.ini");
    ReportingList vchTypes, destinationVchTypes, categories, itemClasses, taxModes;
    transform::Filters filters{transform::FilterControls{vchTypes, destinationVchTypes, categories, itemClasses, taxModes}, filler, path,
                               reporter, prompter};
};

} // namespace

TEST_F(FiltersTest, MissingOrEmptyKeysRestoreNothingAndAVanishedIdOnlyTheOthers)
{
    save("SYNCHCATEGORYIDS", "");
    filters.fillSyncVchTypes();
    EXPECT_TRUE(selectedIds(categories).isEmpty());
    EXPECT_TRUE(selectedIds(itemClasses).isEmpty());
    // No saved tax mode reads as 0, the first entry; no saved voucher type chooses none.
    EXPECT_EQ(chosenId(taxModes), 0);
    EXPECT_EQ(vchTypes.currentIndex(), 0);
    EXPECT_EQ(saved("SYNCHCATEGORYIDS"), "");

    servers.branch().execute("delete from tblCategories where CategoryID = 9");
    save("SYNCHCATEGORYIDS", "5;9;");
    filters.fillSyncVchTypes();
    EXPECT_EQ(selectedIds(categories), QList<qlonglong>({5}));
    EXPECT_EQ(saved("SYNCHCATEGORYIDS"), "5;9;");
}

TEST_F(FiltersTest, NarrowingOffersOnlyTypesOfTheSourceTypesParent)
{
    save("SYNCHVCHTYPEid", "101");
    filters.fillSyncVchTypes();
    filters.narrowDestinationVchTypes();
    EXPECT_EQ(texts(destinationVchTypes), QStringList({"Counter Sales", "Credit Sales", "Sales", "Wholesale Sales"}));
    EXPECT_EQ(chosenId(destinationVchTypes), 101);

    vchTypes.current = int(ids(vchTypes).indexOf(401));
    filters.narrowDestinationVchTypes();
    EXPECT_EQ(texts(destinationVchTypes), QStringList({"Local Purchase Return", "Purchase Return"}));
    EXPECT_EQ(chosenId(destinationVchTypes), 401);
    // Without a source type the destination types stay.
    vchTypes.current = -1;
    filters.narrowDestinationVchTypes();
    EXPECT_EQ(texts(destinationVchTypes), QStringList({"Local Purchase Return", "Purchase Return"}));
    EXPECT_TRUE(prompter.shown.empty());
}
