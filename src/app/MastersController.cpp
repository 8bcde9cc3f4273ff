#include "app/MastersController.h"

#include "app/BusyCursor.h"
#include "app/MainWindow.h"
#include "app/Session.h"
#include "masters/DatabaseUpdate.h"
#include "masters/FullSync.h"
#include "masters/MasterCounts.h"
#include "masters/MasterList.h"
#include "masters/SettingsSync.h"

#include <QCheckBox>
#include <QEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>

namespace app {

MastersController::MastersController(Session& session, MainWindow& window)
    : QObject(nullptr)
    , m_session(session)
    , m_window(window)
    , m_masterList(*window.lstMasterSettings())
    , m_counts(*window.msgDataCount())
{
    connect(window.cmdFullSync(), &QPushButton::clicked, this, &MastersController::fullSync);
    connect(window.cmdMasterSynchDetail(), &QPushButton::clicked, this, &MastersController::masterSynchDetail);
    connect(window.cmdSettingsSynch(), &QPushButton::clicked, this, &MastersController::settingsSynch);
    connect(window.cmdUpdateDataBase(), &QPushButton::clicked, this, &MastersController::updateDatabase);
    m_masterListViewport = window.lstMasterSettings()->viewport();
    m_masterListViewport->installEventFilter(this);
}

bool MastersController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_masterListViewport && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        masterListRightButton();
        // The rule decides the selection; the list must not change it again for this press.
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void MastersController::fullSync()
{
    Session::OperationScope scope(m_session, QStringLiteral("Master Synchronisation"));
    if (!scope.acquired()) {
        m_session.tellBusy(QStringLiteral("Master Synchronisation"));
        return;
    }
    // Disabled for the whole run: the copies let the window handle events, and a second run
    // started inside the first would find the step's transaction open.
    m_window.cmdFullSync()->setEnabled(false);
    {
        BusyCursor busy;
        connection::CompanyConnections& connections = m_session.connections();
        masters::FullSync::Setup setup;
        setup.syncServer = m_session.settings().syncServerName;
        setup.sourceCompany = m_session.settings().sourceCompanyCode;
        setup.bulkChecked = [this] { return m_window.chkBulkInsert()->isChecked(); };
        setup.refreshCounts = [this] { fillDataCount(); };
        setup.skippedTables = [this](const std::vector<masters::GuardedTable>& skipped) { m_skipped = skipped; };
        masters::FullSync(connections.destination(), connections.source(), m_session.reporter(), m_session.prompter(),
                          m_masterList, std::move(setup))
            .run();
    }
    m_window.cmdFullSync()->setEnabled(true);
}

void MastersController::masterSynchDetail()
{
    try {
        masters::MasterList::fill(m_masterList);
    } catch (const std::exception& e) {
        m_session.reporter().balloon(QString::fromStdString(e.what()));
    }
}

void MastersController::settingsSynch()
{
    Session::OperationScope scope(m_session, QStringLiteral("Settings Synchronisation"));
    if (!scope.acquired()) {
        m_session.tellBusy(QStringLiteral("Settings Synchronisation"));
        return;
    }
    m_window.cmdSettingsSynch()->setEnabled(false);
    bool done = false;
    {
        BusyCursor busy;
        connection::CompanyConnections& connections = m_session.connections();
        done = masters::SettingsSync(connections.destination(), connections.source(), m_session.reporter(), m_session.prompter())
                   .run();
    }
    // After a failure the button stays disabled, as the operators know it.
    if (done)
        m_window.cmdSettingsSynch()->setEnabled(true);
}

void MastersController::updateDatabase()
{
    connection::CompanyConnections& connections = m_session.connections();
    masters::DatabaseUpdate(connections.destination(), connections.source(), m_session.prompter()).run();
}

void MastersController::masterListRightButton()
{
    masters::MasterList::rightButtonPressed(m_masterList, m_session.prompter());
}

bool MastersController::fillDataCount()
{
    connection::CompanyConnections& connections = m_session.connections();
    const report::CountComparison counts = masters::MasterCounts(connections.destination(), connections.source(), m_session.reporter()).count();
    masters::MasterCounts::show(counts, m_skipped, m_counts);
    if (counts.headOfficeAnswered)
        m_masterDifference = counts.anyDiffers();
    return m_masterDifference;
}

} // namespace app
