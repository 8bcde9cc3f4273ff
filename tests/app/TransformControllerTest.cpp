// The filters, Show Trans and the selection of vouchers through the real main window on the demo companies.
#include "app/ClickableLabel.h"
#include "app/ProgressWindow.h"
#include "report/IniSetting.h"
#include "ConnectedWindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTableWidget>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace app;

namespace {

class TransformControllerTest : public ConnectedWindowFixture {
protected:
    QString saved(const QString& key) { return report::IniSetting::read(path, key, "(missing)"); }
    void save(const QString& key, const QString& value) { report::IniSetting::write(path, key, value); }
    static QList<qlonglong> selectedIds(const QListWidget* list)
    {
        QList<qlonglong> all;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->isSelected())
                all << list->item(i)->data(Qt::UserRole).toLongLong();
        return all;
    }
    QList<qlonglong> sourceIds(bool checkedOnly = false) const
    {
        QList<qlonglong> all;
        for (int i = 0; i < window->lstSource()->count(); ++i)
            if (!checkedOnly || window->lstSource()->item(i)->checkState() == Qt::Checked)
                all << window->lstSource()->item(i)->data(Qt::UserRole).toLongLong();
        return all;
    }
    static void choose(QComboBox* combo, qlonglong id) { combo->setCurrentIndex(combo->findData(id)); }
    void giveFocus(QWidget* widget, MainWindow::MainPage page)
    {
        window->mainPages()->setCurrentIndex(page);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        widget->setFocus(Qt::OtherFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), widget);
    }

    QString path = QDir(servers.folder()).filePath("Resources/Appsettings.ini");
};

} // namespace

TEST_F(TransformControllerTest, ConnectFillsTheFiltersRestoresTheChoicesAndNarrowsTheDestinationTypes)
{
    save("SYNCHCATEGORYIDS", "5;9;");
    save("SYNCHITEMCLASSIDS", "0;4;");
    save("SYNCHtaxmode", "5");
    save("SYNCHVCHTYPEid", "101");
    connectCompanies();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(window->lstVchtypes()->count(), 18);
    EXPECT_EQ(window->lstVchtypes()->currentData().toLongLong(), 101);
    EXPECT_EQ(selectedIds(window->lstCategories()), QList<qlonglong>({9, 5}));
    EXPECT_EQ(selectedIds(window->itemClassList()), QList<qlonglong>({0, 4}));
    EXPECT_EQ(window->cboTaxMode()->currentText(), "GST");
    // Showing "Sub Company Settings" left only the sales types of parent 1 to choose from.
    EXPECT_EQ(window->cboVchtypeTotransform()->count(), 4);
    EXPECT_EQ(window->cboVchtypeTotransform()->currentData().toLongLong(), 101);
    // The lists were filled with the progress window, which is gone again.
    ProgressWindow* progress = controller->fillProgress().window();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->isHidden());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(TransformControllerTest, ChoicesAreSavedOnlyWhenTheirControlIsTheActiveOne)
{
    connectCompanies();
    save("SYNCHCATEGORYIDS", "1;");
    // A change the program makes while another control is active is not saved.
    window->lstCategories()->item(2)->setSelected(true);
    choose(window->lstVchtypes(), 202);
    EXPECT_EQ(saved("SYNCHCATEGORYIDS"), "1;");
    EXPECT_EQ(saved("SYNCHVCHTYPEid"), "");

    giveFocus(window->lstCategories(), MainWindow::MainCompanyPage);
    window->lstCategories()->item(4)->setSelected(true);
    EXPECT_EQ(saved("SYNCHCATEGORYIDS"), "3;12;");
    window->lstCategories()->clearSelection();
    EXPECT_EQ(saved("SYNCHCATEGORYIDS"), "");

    giveFocus(window->itemClassList(), MainWindow::MainCompanyPage);
    window->itemClassList()->item(9)->setSelected(true);
    EXPECT_EQ(saved("SYNCHITEMCLASSIDS"), "9;");

    giveFocus(window->lstVchtypes(), MainWindow::MainCompanyPage);
    choose(window->lstVchtypes(), 201);
    EXPECT_EQ(saved("SYNCHVCHTYPEid"), "201");

    giveFocus(window->cboTaxMode(), MainWindow::SubCompanyPage);
    window->cboTaxMode()->setCurrentIndex(2);
    EXPECT_EQ(saved("SYNCHtaxmode"), "2");
}

TEST_F(TransformControllerTest, ShowTransListsChecksAndTotalsTheVouchersAndSaysWhenMastersDiffer)
{
    connectCompanies();
    choose(window->lstVchtypes(), 101);
    window->cmdShowTransactions()->click();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(sourceIds(), QList<qlonglong>({1, 3, 8, 9, 14, 18, 30}));
    EXPECT_EQ(sourceIds(true), sourceIds());
    EXPECT_EQ(window->lstSource()->item(0)->text(), "CS/1 - Cash-   Dec  2 2026 -                       3881.00");
    EXPECT_TRUE(window->chkCheckAll()->isChecked());
    EXPECT_EQ(window->txttotVal()->text(), "28629");
    EXPECT_EQ(window->txtSelVal()->text(), "28629");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // A required value, Check All and checks by hand update the selected total. 8352 (index 1) stays under 10000; adding 9635 (index 3) would pass it.
    window->txtReduceTo()->setText("10000");
    EXPECT_FALSE(window->chkCheckAll()->isChecked());
    EXPECT_EQ(sourceIds(true), QList<qlonglong>({3}));
    EXPECT_EQ(window->txtSelVal()->text(), "8352");

    window->lstSource()->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ(window->txtSelVal()->text(), "12233");

    window->chkCheckAll()->click();
    EXPECT_EQ(sourceIds(true), sourceIds());
    EXPECT_EQ(window->txtSelVal()->text(), "28629");
    window->chkCheckAll()->click();
    EXPECT_TRUE(sourceIds(true).isEmpty());
    EXPECT_EQ(window->txtSelVal()->text(), "0");

    window->txtReduceTo()->setText("abc");
    EXPECT_TRUE(sourceIds(true).isEmpty());

    // The double-click empties the label and selects for 0: nothing is checked, so it stays empty.
    emit window->txtSelVal()->doubleClicked();
    EXPECT_EQ(window->txtSelVal()->text(), "");
    EXPECT_TRUE(sourceIds(true).isEmpty());
    EXPECT_TRUE(prompter.shown.empty());

    // A branch that lacks one of head office's areas: the next Show Trans lists and then says so.
    servers.branch().execute("delete from tblArea where AreaID = (select min(AreaID) from tblArea)");
    window->msgDataCount()->setRowCount(0);
    choose(window->lstVchtypes(), 201);
    window->cmdShowTransactions()->click();
    EXPECT_GT(window->msgDataCount()->rowCount(), 0);
    EXPECT_EQ(sourceIds(), QList<qlonglong>({1, 4, 5, 6, 10}));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Please check whether masters of Both companies are identical. Please run Step1 and proceed further");
}
