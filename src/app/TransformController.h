#pragma once

#include "app/ListFillProgress.h"
#include "app/TransfersPage.h"
#include "app/WidgetControls.h"
#include "transform/Filters.h"
#include "transform/ListFiller.h"
#include "transform/TransactionListing.h"
#include "transform/TransferFailures.h"
#include "transform/TransformationRun.h"
#include "upload/SyncCycle.h"

#include <QObject>

#include <functional>

class QLineEdit;
class QWidget;

namespace app {

class MainWindow;
class PreviewWindow;
class Session;

/// Who starts a transformation run: the operator's Start Transform or the sync timer.
enum class RunBy { Operator, Timer };

/// Wires the filter controls, Show Trans, the selection of vouchers and Start Transform of the main
/// window to the transformation operations, and fills the filters when the companies are connected.
class TransformController : public QObject {
    Q_OBJECT
public:
    /// Compares the master counts of both companies where the window shows them; true when they differ.
    using MasterComparison = std::function<bool()>;

    /// Connects the controls; Show Trans compares the master counts through `compareMasters`.
    TransformController(Session& session, MainWindow& window, MasterComparison compareMasters);
    ~TransformController() override;

    /// Fills and restores the filters, then brings "Voucher Det" and "Sub Company Settings" to the front.
    void fillFilters();
    /// Show Trans: lists the matching vouchers, checks them all and shows the totals.
    void showTransactions();
    /// The chkCheckAll click: every voucher gets the check box's state.
    void checkAllClicked();
    /// A change of txtReduceTo: clears every check and checks vouchers up to the required value.
    void reduceToChanged();
    /// A double-click on txtSelVal: empties it and runs the selection for a required value of 0.
    void selectedValueDoubleClicked();
    /// Start Transform: copies the checked vouchers, unless another operation, another run included,
    /// is in progress (the operator is then told so).
    void runTransformation();
    /// The sync cycle's transformation: the timer's run with the choices as they stand now.
    upload::CycleTransformation cycleTransformation();
    /// After Connect: a listing made on other companies is forgotten.
    void companiesConnected();
    /// Preview: shows in frmPreview what Start Transform would copy now, or why it would refuse
    /// (with the same boxes); copies nothing.
    void previewTransformation();
    /// The window frmPreview once Preview was pressed (null before).
    PreviewWindow* previewWindow() const { return m_previewWindow; }
    /// The "Transfers" page of SSTab2.
    TransfersPage& transfersPage() { return m_transfersPage; }

    /// The filter operations behind the controls.
    transform::Filters& filters() { return m_filters; }
    /// The progress window and busy pointer used while lists are filled.
    ListFillProgress& fillProgress() { return m_progress; }

private:
    void wire();
    bool isActive(const QWidget* control) const;
    void showSelectedTotal();
    transform::ListingControls listingControls();
    QString percentageProblem() const;
    /// The lists' choices as they stand now, for a run or a preview about to start.
    transform::RunChoices runChoices();
    transform::RunSettings runSettings(RunBy by);

    Session& m_session;
    MasterComparison m_compareMasters;
    MainWindow& m_window;
    ListWidgetControl m_sourceList;
    ListWidgetControl m_categories;
    ListWidgetControl m_itemClasses;
    ComboBoxControl m_vchTypes;
    ComboBoxControl m_destinationVchTypes;
    ComboBoxControl m_taxModes;
    ListFillProgress m_progress;
    transform::ListFiller m_filler;
    transform::Filters m_filters;
    transform::TransactionListing m_listing;
    transform::TransformationRun m_run;
    /// The sync cycle's run: it never opens a box and notifies a repeated message once.
    transform::TransformationRun m_timerRun;
    /// The vouchers that runs could not copy, shown on the Transfers page.
    transform::TransferFailures m_failures;
    TransfersPage m_transfersPage;
    PreviewWindow* m_previewWindow = nullptr;
};

} // namespace app
