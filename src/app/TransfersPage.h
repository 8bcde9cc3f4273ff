#pragma once

#include "transform/TransferLedger.h"

#include <QObject>

namespace transform {
class TransferFailures;
}

namespace app {

class MainWindow;
class Session;

/// The "Transfers" page of SSTab2: the vouchers the branch holds as copies of head office's for
/// the From..To dates, what was set aside, and their export as CSV. Showing the page only reads.
class TransfersPage : public QObject {
    Q_OBJECT
public:
    /// `failures` are the vouchers the runs of this session could not copy.
    TransfersPage(Session& session, MainWindow& window, const transform::TransferFailures& failures);

    /// Reads the ledger and fills the page's grids; failures are shown on the page, never in a box.
    void refresh();
    /// Writes the ledger last shown to `path` as CSV; false (and a balloon) when it cannot.
    bool exportTo(const QString& path);
    /// The ledger last shown.
    const transform::Ledger& ledger() const { return m_ledger; }

private:
    void exportAsked();

    Session& m_session;
    MainWindow& m_window;
    const transform::TransferFailures& m_failures;
    transform::Ledger m_ledger;
};

} // namespace app
