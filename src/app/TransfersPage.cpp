#include "app/TransfersPage.h"

#include "app/BusyCursor.h"
#include "app/MainWindow.h"
#include "app/Session.h"
#include "text/DateText.h"
#include "transform/TransactionListing.h"
#include "upload/MasterUpload.h"

#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableWidget>

namespace app {

namespace {

void setRow(QTableWidget& grid, int row, const QStringList& texts, const QList<int>& rightAligned)
{
    for (int column = 0; column < texts.size(); ++column) {
        auto* cell = new QTableWidgetItem(texts[column]);
        if (rightAligned.contains(column))
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid.setItem(row, column, cell);
    }
}

} // namespace

TransfersPage::TransfersPage(Session& session, MainWindow& window, const transform::TransferFailures& failures)
    : m_session(session)
    , m_window(window)
    , m_failures(failures)
{
    connect(window.lowerPages(), &QTabWidget::currentChanged, this, [this](int page) {
        if (page == MainWindow::TransfersPage)
            refresh();
    });
    connect(window.cmdExportTransfers(), &QPushButton::clicked, this, &TransfersPage::exportAsked);
    const QString amount = QStringLiteral("Quantity times rate over the voucher's item rows (sales rate of sales, purchase rate of "
                                          "purchases), before tax and discounts");
    for (int column : {5, 6})
        if (QTableWidgetItem* header = window.msgTransfers()->horizontalHeaderItem(column))
            header->setToolTip(amount);
}

void TransfersPage::refresh()
{
    BusyCursor busy;
    m_ledger = {};
    connection::CompanyConnections& connections = m_session.connections();
    const QDate from = m_window.dtpdate()->date();
    const QDate to = m_window.dtpto()->date();
    if (connections.destination().isOpen() && connections.source().isOpen())
        m_ledger = transform::TransferLedger(connections.destination(), connections.source()).read(from, to);
    else
        m_ledger.problems << QStringLiteral("Connect both companies to see the vouchers copied.");
    m_ledger.setAside = transform::TransferLedger::failedVouchers(m_failures.list());
    // Read from the loop settings file only; the replay itself runs on the timer.
    if (connections.destination().isOpen() && connections.source().isOpen()) {
        upload::MasterUpload replay(connections.source(), connections.destination(), m_session.unattended(),
                                    m_session.files().appSettingsLoop);
        for (const upload::MasterUpload::SetAsideRow& row : replay.setAside())
            m_ledger.setAside.push_back({QStringLiteral("Master change"),
                                         QStringLiteral("Change %1 of %2 (key %3)").arg(row.activityId).arg(row.table).arg(row.key), row.reason,
                                         row.tries, QString()});
    }

    QTableWidget& transfers = *m_window.msgTransfers();
    transfers.setRowCount(int(m_ledger.transfers.size()));
    int row = 0;
    for (const transform::TransferRow& copy : m_ledger.transfers)
        setRow(transfers, row++,
               {copy.number, text::DateText::dayMonthYear(copy.date), copy.vchType, QString::number(copy.headOfficeKey),
                QString::number(copy.branchKey), copy.headOfficeAmount, copy.branchAmount, copy.copiedAt,
                copy.copiedAt.isEmpty() ? QStringLiteral("(not recorded)") : copy.copiedBy},
               {3, 4, 5, 6});
    QTableWidget& aside = *m_window.msgSetAside();
    aside.setRowCount(int(m_ledger.setAside.size()));
    row = 0;
    for (const transform::SetAsideEntry& entry : m_ledger.setAside)
        setRow(aside, row++, {entry.kind, entry.what, entry.reason, QString::number(entry.tries), entry.lastTry}, {3});

    const QString range = to == transform::TransactionListing::singleDayMark()
        ? text::DateText::dayMonthYear(from)
        : text::DateText::dayMonthYear(from) + QStringLiteral(" to ") + text::DateText::dayMonthYear(to);
    QString note = QStringLiteral("%1 vouchers copied from head office, dated %2; %3 set aside.")
                       .arg(m_ledger.transfers.size())
                       .arg(range)
                       .arg(m_ledger.setAside.size());
    if (!m_ledger.problems.isEmpty())
        note += QLatin1Char(' ') + m_ledger.problems.join(QLatin1Char(' '));
    m_window.lblTransfers()->setText(note);
    m_window.lblTransfers()->setToolTip(m_ledger.problems.join(QLatin1Char('\n')));
}

bool TransfersPage::exportTo(const QString& path)
{
    QSaveFile file(path);
    // The byte-order mark makes spreadsheet programs read the file as UTF-8.
    const QByteArray bytes = QByteArrayLiteral("\xEF\xBB\xBF") + transform::TransferLedger::csv(m_ledger).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_session.reporter().balloon(QStringLiteral("The transfers could not be written to ") + QDir::toNativeSeparators(path) + QStringLiteral(": ")
                                   + file.errorString());
        return false;
    }
    m_session.reporter().status(QStringLiteral("Transfers written to ") + QDir::toNativeSeparators(path));
    return true;
}

void TransfersPage::exportAsked()
{
    const QString suggested = QDir(m_window.programFolder())
                                  .filePath(QStringLiteral("Transfers %1 %2.csv")
                                                .arg(m_window.dtpdate()->date().toString(QStringLiteral("yyyy-MM-dd")),
                                                     m_session.settings().destinationCompanyCode));
    const QString path = QFileDialog::getSaveFileName(&m_window, QStringLiteral("Export the transfers"), suggested,
                                                      QStringLiteral("CSV files (*.csv)"));
    if (!path.isEmpty())
        exportTo(path);
}

} // namespace app
