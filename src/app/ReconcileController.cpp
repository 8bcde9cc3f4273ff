#include "app/ReconcileController.h"

#include "app/BusyCursor.h"
#include "app/ClickableLabel.h"
#include "app/MainWindow.h"
#include "app/Session.h"
#include "db/Connection.h"
#include "reconcile/CostCentres.h"
#include "reconcile/MismatchSearch.h"
#include "reconcile/TransactionCounts.h"

#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <exception>

namespace app {

namespace {
const QString NoCostCentre = QStringLiteral("<None>");
}

ReconcileController::ReconcileController(Session& session, MainWindow& window)
    : m_session(session)
    , m_window(window)
    , m_transGrid(*window.msgTransGrid())
    , m_misMatchGrid(*window.msgMisMatch())
    , m_vchTypes(*window.lstVchtypes())
    , m_costCentres(*window.cboCostCentre())
{
    m_costCentres.clear();
    m_costCentres.addItem(NoCostCentre, 0);
    m_costCentres.setCurrentIndex(0);
    connect(window.lowerPages(), &QTabWidget::currentChanged, this, &ReconcileController::lowerPageShown);
    // Choosing another cost centre on the page in front searches again with it.
    connect(window.cboCostCentre(), &QComboBox::activated, this, [this] {
        if (m_window.lowerPages()->currentIndex() == MainWindow::MismatchPage && m_window.lowerPages()->isEnabled())
            lowerPageShown(MainWindow::MismatchPage);
    });
}

void ReconcileController::lowerPageShown(int page)
{
    BusyCursor busy;
    try {
        if (page == MainWindow::VoucherDetPage)
            fillTransCount();
        else if (page == MainWindow::MismatchPage)
            searchMismatches();
    } catch (const std::exception& e) {
        m_session.reporter().balloon(QString::fromUtf8(e.what()));
    }
}

void ReconcileController::fillTransCount()
{
    connection::CompanyConnections& connections = m_session.connections();
    std::optional<long long> vchType;
    if (const int chosen = m_vchTypes.currentIndex(); chosen >= 0)
        vchType = m_vchTypes.itemData(chosen);
    reconcile::TransactionCounts counts(connections.destination(), connections.source(), m_session.reporter());
    reconcile::TransactionCounts::show(counts.count(vchType, m_window.dtpdate()->date()), m_transGrid);
}

void ReconcileController::searchMismatches()
{
    // A timer tick reopens both connections, so the search must not run beside one.
    Session::OperationScope scope(m_session, QStringLiteral("Mismatch search"));
    if (!scope.acquired()) {
        m_session.reporter().balloon(QStringLiteral("The mismatch search waits: \"") + m_session.runningOperation()
                                   + QStringLiteral("\" is still running."));
        return;
    }
    QTabWidget* tabs = m_window.lowerPages();
    QTimer* timer = m_window.timertrigger();
    tabs->setEnabled(false);
    // The timer and the tab strip come back whatever happens, or the operator would be left
    // with neither unattended synchronisation nor a way to change the page.
    struct Restore {
        QTabWidget* tabs;
        QTimer* timer;
        ~Restore()
        {
            timer->start();
            tabs->setEnabled(true);
        }
    };
    {
        Restore restore{tabs, timer};
        reconcile::MismatchSearch::resetGrid(m_misMatchGrid);
        m_session.reporter().progress(QStringLiteral("Checking Started"));
        timer->stop();

        connection::CompanyConnections& connections = m_session.connections();
        reconcile::MismatchSearch search(connections.destination(), connections.source(), m_session.reporter(),
                                         m_session.settings().syncServerName, m_session.settings().sourceCompanyCode);
        const std::optional<qlonglong> costCentre = chosenCostCentre();
        const QDate day = m_window.dtpdate()->date();
        for (const reconcile::MismatchSearch::Table& table : reconcile::MismatchSearch::searchedTables())
            search.locate(m_misMatchGrid, table.master, table.detail, day, costCentre);
    }
    m_session.reporter().progress(QStringLiteral("Checking Ended"));
}

void ReconcileController::fillCostCentres()
{
    const std::optional<qlonglong> previous = chosenCostCentre();
    m_costCentres.clear();
    m_costCentres.addItem(NoCostCentre, 0);
    m_costCentres.setCurrentIndex(0);
    db::Connection& branch = m_session.connections().destination();
    if (!branch.isOpen())
        return;
    for (const reconcile::CostCentres::Entry& entry : reconcile::CostCentres::list(branch)) {
        m_costCentres.addItem(entry.name, entry.id);
        if (previous && *previous == entry.id)
            m_costCentres.setCurrentIndex(m_costCentres.count() - 1);
    }
}

std::optional<qlonglong> ReconcileController::chosenCostCentre() const
{
    const int chosen = m_costCentres.currentIndex();
    if (chosen <= 0)
        return std::nullopt;
    return m_costCentres.itemData(chosen);
}

void ReconcileController::companiesConnected()
{
    try {
        fillCostCentres();
    } catch (const std::exception& e) {
        m_session.reporter().balloon(QString::fromUtf8(e.what()));
    }
}

} // namespace app
