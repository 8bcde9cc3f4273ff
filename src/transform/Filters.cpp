#include "transform/Filters.h"

#include "connection/StartUp.h"
#include "text/NumberText.h"
#include "report/ListControl.h"
#include "report/Reporter.h"
#include "transform/ListFiller.h"

#include <QStringList>

#include <limits>

namespace transform {

namespace {

const QString categoriesKey = QStringLiteral("SYNCHCATEGORYIDS");
const QString itemClassesKey = QStringLiteral("SYNCHITEMCLASSIDS");
const QString vchTypeKey = QStringLiteral("SYNCHVCHTYPEid");
const QString taxModeKey = QStringLiteral("SYNCHtaxmode");

int selectedCount(const report::ListControl& list)
{
    int selected = 0;
    for (int i = 0; i < list.count(); ++i)
        selected += list.isSelected(i) ? 1 : 0;
    return selected;
}

// Restores the flag even when a step throws, so that a failed filling never blocks saving for good.
class RestoringScope {
public:
    explicit RestoringScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RestoringScope() { m_flag = false; }
    RestoringScope(const RestoringScope&) = delete;
    RestoringScope& operator=(const RestoringScope&) = delete;

private:
    bool& m_flag;
};

} // namespace

const QString Filters::vchTypeQuery = QStringLiteral(
    "SELECT   VchTypeID, VchType From tblVchType WHERE  activestatus=1 and VchtypeID in (Select VchtypeID from tblVchtype where "
    "ParentID in(1,3,12,18,44,2,4))    Order by VchType ");
const QString Filters::categoryQuery = QStringLiteral("SELECT  categoryID,category from tblcategories  Order by category ");

Filters::Filters(FilterControls controls, ListFiller& filler, QString appSettingsPath, report::Reporter& reporter,
                 report::Prompter& prompter)
    : m_controls(controls)
    , m_filler(filler)
    , m_path(std::move(appSettingsPath))
    , m_reporter(reporter)
    , m_prompter(prompter)
{
}

QString Filters::narrowingQuery(qlonglong vchTypeId)
{
    return QStringLiteral("SELECT     VchTypeID, VchType From tblVchType WHERE     (ActiveStatus = 1) AND (VchTypeID IN  (SELECT     VchTypeID "
                          "FROM  tblVchType AS tblVchType_1 WHERE      (ParentID IN  (SELECT     ParentID   FROM          tblVchType AS "
                          "tblVchType_2  WHERE      (VchTypeID = ")
        + QString::number(vchTypeId) + QStringLiteral("))))) ORDER BY VchType");
}

void Filters::fillSyncVchTypes()
{
    RestoringScope restoring(m_restoring);
    try {
        // Connect has told the operator once that head office is not connected; its voucher types
        // are listed at the next Connect, without a second box about a closed connection.
        if (m_filler.isOpen(Company::Source))
            m_filler.fill(m_controls.vchTypes, vchTypeQuery, FillOptions{true, false, Company::Source});
        else
            m_controls.vchTypes.clear();
        m_filler.fill(m_controls.destinationVchTypes, vchTypeQuery, FillOptions{true, false, Company::Destination});
        m_filler.fill(m_controls.categories, categoryQuery, FillOptions{true, false, Company::Destination});

        restoreSelection(m_controls.categories, categoriesKey);
        restoreSelection(m_controls.itemClasses, itemClassesKey);
        m_controls.taxModes.selectByData(savedWhole(taxModeKey));
        const qlonglong vchType = savedWhole(vchTypeKey);
        m_controls.vchTypes.selectByData(vchType);
        m_controls.destinationVchTypes.selectByData(vchType);
    } catch (const std::exception& e) {
        m_reporter.balloon(QString::fromStdString(e.what()));
    }
}

qlonglong Filters::savedWhole(const QString& key)
{
    return text::NumberText::leadingWhole(connection::readSetting(m_prompter, m_path, key, QString()), std::numeric_limits<qlonglong>::min(),
                                        std::numeric_limits<qlonglong>::max());
}

void Filters::restoreSelection(report::ListControl& list, const QString& key)
{
    const QString saved = connection::readSetting(m_prompter, m_path, key, QString());
    if (saved.isEmpty())
        return;
    // The text ends in ";", so the last piece is always the empty rest after it and never an id.
    const QStringList pieces = saved.split(QLatin1Char(';'));
    const int wanted = int(pieces.size()) - 1;
    for (int i = 0; i < list.count(); ++i) {
        for (int p = 0; p < wanted; ++p) {
            if (text::NumberText::leading(pieces[p]) == double(list.itemData(i))) {
                list.setSelected(i, true);
                break;
            }
        }
        if (selectedCount(list) >= wanted)
            break;
    }
}

void Filters::narrowDestinationVchTypes()
{
    const int chosen = m_controls.vchTypes.currentIndex();
    if (chosen < 0)
        return;
    const qlonglong vchType = m_controls.vchTypes.itemData(chosen);
    m_filler.fill(m_controls.destinationVchTypes, narrowingQuery(vchType), FillOptions{false, false, Company::Destination});
    m_controls.destinationVchTypes.selectByData(vchType);
}

void Filters::saveSelection(const report::ListControl& list, const QString& key)
{
    if (m_restoring)
        return;
    QString ids;
    for (int i = 0; i < list.count(); ++i)
        if (list.isSelected(i))
            ids += QString::number(list.itemData(i)) + QLatin1Char(';');
    connection::writeSetting(m_prompter, m_path, key, ids);
}

void Filters::saveChoice(const report::ListControl& control, const QString& key)
{
    if (m_restoring)
        return;
    const int chosen = control.currentIndex();
    // With nothing chosen there is no value to save; the previous one stays.
    if (chosen < 0)
        return;
    connection::writeSetting(m_prompter, m_path, key, QString::number(control.itemData(chosen)));
}

void Filters::saveCategories() { saveSelection(m_controls.categories, categoriesKey); }
void Filters::saveItemClasses() { saveSelection(m_controls.itemClasses, itemClassesKey); }
void Filters::saveVchType() { saveChoice(m_controls.vchTypes, vchTypeKey); }
void Filters::saveTaxMode() { saveChoice(m_controls.taxModes, taxModeKey); }

QString Filters::selectedItemDataList(const report::ListControl& list)
{
    QStringList ids;
    for (int i = 0; i < list.count(); ++i)
        if (list.isSelected(i))
            ids << QString::number(list.itemData(i));
    return ids.join(QLatin1Char(','));
}

} // namespace transform
