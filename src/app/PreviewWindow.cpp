#include "app/PreviewWindow.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>
#include <QVBoxLayout>

namespace app {

namespace {

QString money(const transform::Amount& amount)
{
    // Grouped for reading in the PC's own way; the digits are the exact total rounded to the cent,
    // never passed through a double.
    const QLocale locale = QLocale::system();
    QString digits = amount.cents();
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative)
        digits.remove(0, 1);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    QString whole = point < 0 ? digits : digits.left(point);
    const QString fraction = point < 0 ? QStringLiteral("00") : digits.mid(point + 1);
    bool fits = false;
    const qlonglong units = whole.toLongLong(&fits);
    if (fits)
        whole = locale.toString(units); // the locale's own grouping
    return (negative ? locale.negativeSign() : QString()) + whole + locale.decimalPoint() + fraction;
}

} // namespace

PreviewWindow::PreviewWindow(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(QStringLiteral("Preview of Start Transform"));
    auto* title = new QLabel(QStringLiteral("What Start Transform would do now"), this);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    title->setFont(titleFont);
    m_refused = new QLabel(this);
    m_refused->setObjectName(QStringLiteral("lblPreviewRefused"));
    m_refused->setWordWrap(true);
    m_refused->setStyleSheet(QStringLiteral("QLabel { color: #a00000; font-weight: bold; }"));
    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("lblPreviewCounts"));
    m_counts->setWordWrap(true);
    m_totals = new QTableWidget(3, 4, this);
    m_totals->setObjectName(QStringLiteral("msgPreviewTotals"));
    m_totals->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_totals->setSelectionMode(QAbstractItemView::NoSelection);
    m_totals->setFocusPolicy(Qt::NoFocus);
    m_totals->setHorizontalHeaderLabels({QStringLiteral("Head office"), QStringLiteral("Branch after reductions"), QStringLiteral("Difference"),
                                         QStringLiteral("Left out by the filters")});
    m_totals->setVerticalHeaderLabels({QStringLiteral("Purchase rate value"), QStringLiteral("Sales rate value"), QStringLiteral("MRP value")});
    m_totals->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_totals->horizontalHeader()->setMinimumSectionSize(m_totals->fontMetrics().horizontalAdvance(QStringLiteral("Branch after reductions")) + 24);
    m_totals->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_totals->verticalHeader()->setDefaultSectionSize(m_totals->fontMetrics().height() + 10);
    m_totals->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_totals->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_totals->setFixedHeight(m_totals->horizontalHeader()->sizeHint().height() + 3 * m_totals->verticalHeader()->defaultSectionSize()
                             + 2 * m_totals->frameWidth());
    m_items = new QLabel(this);
    m_items->setObjectName(QStringLiteral("lblPreviewItems"));
    m_copies = new QLabel(this);
    m_copies->setObjectName(QStringLiteral("lblPreviewCopies"));
    m_copies->setWordWrap(true);
    auto* nothingWritten = new QLabel(QStringLiteral("Nothing has been copied or changed. Press Start Transform to copy."), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_refused);
    layout->addWidget(m_counts);
    layout->addWidget(m_totals);
    layout->addWidget(m_items);
    layout->addWidget(m_copies);
    layout->addSpacing(8);
    layout->addWidget(nothingWritten);
    layout->addWidget(buttons);
    setMinimumWidth(m_totals->verticalHeader()->sizeHint().width() + 4 * m_totals->horizontalHeader()->minimumSectionSize() + 40);
}

void PreviewWindow::showPreview(const transform::Preview& preview)
{
    m_preview = preview;
    m_refused->setText(preview.refused);
    m_refused->setVisible(!preview.refused.isEmpty());
    QString counts = QStringLiteral("%1 checked vouchers: %2 will be copied, %3 skipped as already transferred.")
                         .arg(preview.toCopy + preview.alreadyTransferred + preview.notFound)
                         .arg(preview.toCopy)
                         .arg(preview.alreadyTransferred);
    if (preview.notFound > 0)
        counts += QStringLiteral(" %1 not found at head office with the listed voucher type.").arg(preview.notFound);
    m_counts->setText(preview.refused.isEmpty() ? counts : QString());
    m_counts->setVisible(preview.refused.isEmpty());

    const transform::Amount transform::PriceTotals::* const columns[3] = {&transform::PriceTotals::purchase, &transform::PriceTotals::sales,
                                                                            &transform::PriceTotals::mrp};
    for (int row = 0; row < 3; ++row) {
        const transform::Amount headOffice = preview.headOffice.*columns[row];
        const transform::Amount branch = preview.branch.*columns[row];
        const QStringList texts = {money(headOffice), money(branch), money(branch - headOffice), money(preview.leftOut.*columns[row])};
        for (int column = 0; column < 4; ++column) {
            auto* cell = new QTableWidgetItem(texts[column]);
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_totals->setItem(row, column, cell);
        }
    }
    m_totals->setVisible(preview.refused.isEmpty());
    m_items->setText(QStringLiteral("%1 item rows copied; %2 item rows left out by the category and item-class filters.")
                         .arg(preview.items)
                         .arg(preview.itemsLeftOut));
    m_items->setVisible(preview.refused.isEmpty());
    const QString tax = preview.taxType.isEmpty()
        ? QStringLiteral("tax type kept as at head office") + (preview.taxModeText.isEmpty() ? QString() : QStringLiteral(" (") + preview.taxModeText + QLatin1Char(')'))
        : QStringLiteral("tax type ") + preview.taxType;
    m_copies->setText(QStringLiteral("The copies get: voucher type %1; %2.").arg(preview.vchType.isEmpty() ? QStringLiteral("(none chosen)") : preview.vchType, tax));
    m_copies->setVisible(!preview.vchType.isEmpty() || preview.refused.isEmpty());
    adjustSize();
    show();
    raise();
    activateWindow();
}

} // namespace app
