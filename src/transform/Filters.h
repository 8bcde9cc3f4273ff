#pragma once

#include <QString>

namespace report {
class ListControl;
class Prompter;
class Reporter;
}

namespace transform {

class ListFiller;

/// The controls that hold the choices of a transformation.
struct FilterControls {
    report::ListControl& vchTypes;            ///< lstVchtypes: source voucher type, one choice
    report::ListControl& destinationVchTypes; ///< cboVchtypeTotransform: destination voucher type
    report::ListControl& categories;          ///< lstCategories: any number selected
    report::ListControl& itemClasses;         ///< LstitemClass: any number selected
    report::ListControl& taxModes;            ///< cboTaxMode: one choice
};

/// Fills the filter controls from both companies, restores the choices saved in Appsettings.ini
/// and saves each choice the operator makes.
class Filters {
public:
    /// Voucher types of the sales and purchase families, for both voucher-type lists.
    static const QString vchTypeQuery;
    /// Every category, for lstCategories.
    static const QString categoryQuery;

    /// A settings file that cannot be read or written is shown through `prompter`.
    Filters(FilterControls controls, ListFiller& filler, QString appSettingsPath, report::Reporter& reporter, report::Prompter& prompter);

    /// Fills both voucher-type lists and the categories and restores the saved choices, without
    /// writing any of them back. A list that cannot be filled is shown as a notification and ends
    /// the filling; a saved choice that cannot be read is shown in a box and left unchosen.
    void fillSyncVchTypes();
    /// True while fillSyncVchTypes chooses entries itself; saving does nothing meanwhile.
    bool isRestoring() const { return m_restoring; }

    /// Offers as destination voucher types only those with the parent of the chosen source voucher
    /// type, and chooses the source's own type among them. Does nothing while no source type is chosen.
    void narrowDestinationVchTypes();
    /// The query behind narrowDestinationVchTypes for source voucher type `vchTypeId`.
    static QString narrowingQuery(qlonglong vchTypeId);

    /// Saves the selected categories under SYNCHCATEGORYIDS.
    void saveCategories();
    /// Saves the selected item classes under SYNCHITEMCLASSIDS.
    void saveItemClasses();
    /// Saves the chosen source voucher type under SYNCHVCHTYPEid.
    void saveVchType();
    /// Saves the chosen tax mode under SYNCHtaxmode.
    void saveTaxMode();

    /// The item data of the selected entries of `list`, in list order, joined by "," ("3,7,12"; "" when none).
    static QString selectedItemDataList(const report::ListControl& list);

private:
    void restoreSelection(report::ListControl& list, const QString& key);
    void saveSelection(const report::ListControl& list, const QString& key);
    void saveChoice(const report::ListControl& control, const QString& key);
    qlonglong savedWhole(const QString& key);

    FilterControls m_controls;
    ListFiller& m_filler;
    QString m_path;
    report::Reporter& m_reporter;
    report::Prompter& m_prompter;
    bool m_restoring = false;
};

} // namespace transform
