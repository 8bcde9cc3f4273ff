#pragma once

#include "app/WidgetControls.h"
#include "masters/MasterCounts.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace app {

class MainWindow;
class Session;

/// Wires the master synchronisation page to its operations: "Master Synchronisation", "::",
/// "Settings Synchronisation", "Update Database", the right button on the master list, and the
/// master count comparison of the "Step 1" page.
class MastersController : public QObject {
    Q_OBJECT
public:
    /// Connects the controls of `window`; the operations use the connections of `session`.
    MastersController(Session& session, MainWindow& window);

    /// "Master Synchronisation": the button is disabled and the pointer busy until the run ends.
    void fullSync();
    /// "::": refills the master list.
    void masterSynchDetail();
    /// "Settings Synchronisation".
    void settingsSynch();
    /// "Update Database".
    void updateDatabase();
    /// The right button on lstMasterSettings.
    void masterListRightButton();
    /// FillDataCount: compares the master counts in msgDataCount. Returns true when the comparison
    /// found a table whose counts differ (when head office could not be counted, what the last one found).
    bool fillDataCount();

protected:
    /// Sees the mouse presses on the master list.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Session& m_session;
    MainWindow& m_window;
    ListWidgetControl m_masterList;
    TableGridControl m_counts;
    /// The master list's viewport, whose right button press this object filters. Kept here so that
    /// an event sent while the window's children are being destroyed never calls into the window.
    QPointer<QWidget> m_masterListViewport;
    bool m_masterDifference = false;
    // What the last Master Synchronisation left alone; the count grid keeps showing it.
    std::vector<masters::GuardedTable> m_skipped;
};

} // namespace app
