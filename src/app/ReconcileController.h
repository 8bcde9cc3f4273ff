#pragma once

#include "app/WidgetControls.h"

#include <QObject>

#include <optional>

namespace app {

class MainWindow;
class Session;

/// Wires the lower tab strip SSTab2 to reconciliation: "Voucher Det" compares the day's transaction
/// counts, "Mismatch" lists the transactions the main company lacks and starts the sync timer; and
/// keeps the cost-centre drop-down of the "Mismatch" page filled from the sub company.
class ReconcileController : public QObject {
    Q_OBJECT
public:
    /// Connects SSTab2 and Connect of `window`; the operations use the connections of `session`.
    ReconcileController(Session& session, MainWindow& window);

    /// The page click of SSTab2: runs the work of `page` with the busy pointer; failures become notifications.
    void lowerPageShown(int page);
    /// FillTransCount: the counts of the From date for the chosen voucher type in msgTransGrid;
    /// failures are notified to the operator.
    void fillTransCount();
    /// The "Mismatch" page: with the tab strip disabled and the timer stopped, searches the five
    /// transaction tables into msgMisMatch; afterwards the tab strip is enabled and the timer started.
    void searchMismatches();
    /// Fills cboCostCentre with "<None>" and the cost centres of the sub company, keeping the choice
    /// where that cost centre is still there. Throws db::DbError when the query fails.
    void fillCostCentres();
    /// After Connect: the cost centres of the sub company now connected.
    void companiesConnected();
    /// The cost centre chosen for the item-count comparison; none while "<None>" is chosen.
    std::optional<qlonglong> chosenCostCentre() const;

private:

    Session& m_session;
    MainWindow& m_window;
    TableGridControl m_transGrid;
    TableGridControl m_misMatchGrid;
    ComboBoxControl m_vchTypes;
    ComboBoxControl m_costCentres;
};

} // namespace app
