#include "app/TransformController.h"

#include "app/BusyCursor.h"
#include "app/ClickableLabel.h"
#include "app/PreviewWindow.h"
#include "app/MainWindow.h"
#include "app/Session.h"
#include "text/NumberText.h"
#include "report/Prompter.h"
#include "db/DbError.h"
#include "masters/DatabaseUpdate.h"
#include "transform/TransformPreview.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>

namespace app {

TransformController::TransformController(Session& session, MainWindow& window, MasterComparison compareMasters)
    : m_session(session)
    , m_compareMasters(std::move(compareMasters))
    , m_window(window)
    , m_sourceList(*window.lstSource())
    , m_categories(*window.lstCategories())
    , m_itemClasses(*window.itemClassList())
    , m_vchTypes(*window.lstVchtypes())
    , m_destinationVchTypes(*window.cboVchtypeTotransform())
    , m_taxModes(*window.cboTaxMode())
    , m_progress(window)
    , m_filler(session.connections(), session.reporter(), session.prompter(), m_progress)
    , m_filters(transform::FilterControls{m_vchTypes, m_destinationVchTypes, m_categories, m_itemClasses, m_taxModes}, m_filler,
                session.files().appSettings, session.reporter(), session.prompter())
    , m_listing(session.connections(), m_filler, session.reporter(), session.prompter(), m_progress)
    , m_run(session.connections(), session.reporter(), session.prompter(), [&session] { return session.now(); })
    , m_timerRun(session.connections(), session.unattended(), session.unattended(), [&session] { return session.now(); })
    , m_transfersPage(session, window, m_failures)
{
    m_sourceList.setCheckable(true);
    // Thousands of one-line entries: the list need not measure each of them.
    window.lstSource()->setUniformItemSizes(true);
    wire();
}

TransformController::~TransformController() = default;

void TransformController::wire()
{
    // Choices are saved only when the operator made them, never when the program set them.
    QListWidget* categories = m_window.lstCategories();
    connect(categories, &QListWidget::itemSelectionChanged, this, [this, categories] {
        if (isActive(categories))
            m_filters.saveCategories();
    });
    QListWidget* itemClasses = m_window.itemClassList();
    connect(itemClasses, &QListWidget::itemSelectionChanged, this, [this, itemClasses] {
        if (isActive(itemClasses))
            m_filters.saveItemClasses();
    });
    QComboBox* vchTypes = m_window.lstVchtypes();
    const auto saveVchType = [this, vchTypes] {
        if (isActive(vchTypes))
            m_filters.saveVchType();
    };
    connect(vchTypes, &QComboBox::currentIndexChanged, this, saveVchType);
    connect(vchTypes, &QComboBox::activated, this, saveVchType);
    QComboBox* taxModes = m_window.cboTaxMode();
    const auto saveTaxMode = [this, taxModes] {
        if (isActive(taxModes))
            m_filters.saveTaxMode();
    };
    connect(taxModes, &QComboBox::currentIndexChanged, this, saveTaxMode);
    connect(taxModes, &QComboBox::activated, this, saveTaxMode);

    connect(m_window.cmdShowTransactions(), &QPushButton::clicked, this, &TransformController::showTransactions);
    connect(m_window.chkCheckAll(), &QCheckBox::clicked, this, &TransformController::checkAllClicked);
    connect(m_window.lstSource(), &QListWidget::itemChanged, this, &TransformController::showSelectedTotal);
    connect(m_window.txtReduceTo(), &QLineEdit::textChanged, this, &TransformController::reduceToChanged);
    connect(m_window.txtSelVal(), &ClickableLabel::doubleClicked, this, &TransformController::selectedValueDoubleClicked);
    connect(m_window.cmdStartDatamigration(), &QPushButton::clicked, this, &TransformController::runTransformation);
    connect(m_window.cmdPreviewTransform(), &QPushButton::clicked, this, &TransformController::previewTransformation);
}

bool TransformController::isActive(const QWidget* control) const
{
    // A drop-down's open list belongs to the drop-down, although it is a window of its own.
    for (const QWidget* widget = QApplication::focusWidget(); widget; widget = widget->parentWidget())
        if (widget == control)
            return true;
    return false;
}

void TransformController::fillFilters()
{
    m_filters.fillSyncVchTypes();
    m_window.lowerPages()->setCurrentIndex(MainWindow::VoucherDetPage);
    // The page handler runs on a change of page only; a page already in front is shown again by hand.
    if (m_window.mainPages()->currentIndex() == MainWindow::SubCompanyPage)
        m_session.mainPageShown(MainWindow::SubCompanyPage);
    else
        m_window.mainPages()->setCurrentIndex(MainWindow::SubCompanyPage);
}

transform::ListingControls TransformController::listingControls()
{
    return transform::ListingControls{m_vchTypes, m_categories, m_itemClasses, m_sourceList};
}

void TransformController::showSelectedTotal()
{
    m_window.txtSelVal()->setText(text::NumberText::plain(transform::TransactionListing::billAmount(m_sourceList, transform::Entries::CheckedOnly)));
}

void TransformController::showTransactions()
{
    // A timer tick reopens both connections, so the listing must not run beside one.
    Session::OperationScope scope(m_session, QStringLiteral("Show Trans"));
    if (!scope.acquired()) {
        m_session.tellBusy(QStringLiteral("Show Trans"));
        return;
    }
    transform::ListingSteps steps;
    steps.showTotals = [this](const text::Decimal& total, const text::Decimal& selected) {
        m_window.txttotVal()->setText(text::NumberText::plain(total));
        m_window.chkCheckAll()->setChecked(true);
        m_window.txtSelVal()->setText(text::NumberText::plain(selected));
    };
    steps.mastersDiffer = m_compareMasters;
    // Each check would otherwise total the whole list again: the totals are shown once at the end.
    QSignalBlocker quiet(m_window.lstSource());
    if (m_listing.showTransactions(listingControls(), m_window.dtpdate()->date(), m_window.dtpto()->date(), steps) && m_listing.listed())
        m_listing.listed()->sourceCompany = m_session.settings().sourceCompanyCode;
}

void TransformController::companiesConnected()
{
    // The keys of a list name vouchers of the company they were listed from only.
    std::optional<transform::Listing>& listed = m_listing.listed();
    if (!listed || listed->sourceCompany == m_session.settings().sourceCompanyCode)
        return;
    listed.reset();
    m_sourceList.clear();
    m_window.txttotVal()->setText(QString());
    m_window.txtSelVal()->setText(QString());
}

void TransformController::checkAllClicked()
{
    {
        QSignalBlocker quiet(m_window.lstSource());
        transform::TransactionListing::checkAll(m_sourceList, m_window.chkCheckAll()->isChecked());
    }
    showSelectedTotal();
}

void TransformController::reduceToChanged()
{
    m_window.chkCheckAll()->setChecked(false);
    {
        QSignalBlocker quiet(m_window.lstSource());
        transform::TransactionListing::checkAll(m_sourceList, false);
        m_listing.selectBills(m_sourceList, text::NumberText::leadingDecimal(m_window.txtReduceTo()->text()));
    }
    showSelectedTotal();
}

void TransformController::selectedValueDoubleClicked()
{
    const auto checkedCount = [this] {
        int checked = 0;
        for (int i = 0; i < m_sourceList.count(); ++i)
            checked += m_sourceList.isChecked(i) ? 1 : 0;
        return checked;
    };
    m_window.txtSelVal()->setText(QString());
    const int before = checkedCount();
    {
        QSignalBlocker quiet(m_window.lstSource());
        m_listing.selectBills(m_sourceList, text::NumberText::leadingDecimal(m_window.txtSelVal()->text()));
    }
    // The selection never clears a check, so a new check shows in the count; without one the label stays empty.
    if (checkedCount() != before)
        showSelectedTotal();
}

QString TransformController::percentageProblem() const
{
    // "7,5" read by its leading number would cut by 7 %: text that is not a plain decimal number is
    // refused before anything is copied.
    static const QRegularExpression decimal(QStringLiteral("^-?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    for (QLineEdit* box : {m_window.txtPRateDiscount(), m_window.txtSRateDiscount(), m_window.txtMRPDiscount()}) {
        const QString text = box->text().trimmed();
        if (text.isEmpty() || decimal.match(text).hasMatch())
            continue;
        QString caption = box->objectName();
        for (const QLabel* label : box->parentWidget()->findChildren<QLabel*>())
            if (label->buddy() == box)
                caption = label->text();
        return QStringLiteral("\"") + caption + QStringLiteral("\" holds \"") + box->text()
            + QStringLiteral("\", which is not a number. Write the percentage with \".\" (for example 7.5), or leave the box empty. Nothing was copied.");
    }
    return {};
}

void TransformController::runTransformation()
{
    // One run at a time, and none while another operation of the operator or a tick is working:
    // the window handles events during each copy, so a press or a tick can arrive mid-run.
    Session::OperationScope scope(m_session, QStringLiteral("Start Transform"));
    if (!scope.acquired()) {
        m_session.prompter().tell(report::PromptIcon::Information, QStringLiteral("\"") + m_session.runningOperation()
                                                                     + QStringLiteral("\" is still running. Please press Start Transform again when it is over."));
        return;
    }

    const QString badPercentage = percentageProblem();
    if (!badPercentage.isEmpty()) {
        m_session.prompter().tell(report::PromptIcon::Exclamation, badPercentage);
        return;
    }
    const transform::RunChoices choices = runChoices();
    m_run.run(choices, runSettings(RunBy::Operator));
}

upload::CycleTransformation TransformController::cycleTransformation()
{
    const transform::RunChoices choices = runChoices();
    return upload::CycleTransformation{m_timerRun, choices, runSettings(RunBy::Timer), percentageProblem()};
}

transform::RunChoices TransformController::runChoices()
{
    return transform::RunChoices(transform::RunControls{m_vchTypes, m_destinationVchTypes, m_categories, m_itemClasses, m_taxModes, m_sourceList});
}

transform::RunSettings TransformController::runSettings(RunBy by)
{
    transform::RunSettings settings;
    settings.purchaseRatePercent = text::NumberText::leading(m_window.txtPRateDiscount()->text());
    settings.salesRatePercent = text::NumberText::leading(m_window.txtSRateDiscount()->text());
    settings.mrpPercent = text::NumberText::leading(m_window.txtMRPDiscount()->text());
    // The companies connected now, which the login panel's choices may no longer show.
    settings.sourceCompany = m_session.settings().sourceCompanyCode;
    settings.destinationCompany = m_session.settings().destinationCompanyCode;
    settings.manual = by == RunBy::Operator;
    settings.listing = m_listing.listed() ? &*m_listing.listed() : nullptr;
    settings.from = m_window.dtpdate()->date();
    settings.to = m_window.dtpto()->date();
    settings.failures = &m_failures;
    return settings;
}

void TransformController::previewTransformation()
{
    // Reads both companies, so not beside a run or a tick that reopens the connections.
    Session::OperationScope scope(m_session, QStringLiteral("Preview"));
    if (!scope.acquired()) {
        m_session.prompter().tell(report::PromptIcon::Information, QStringLiteral("\"") + m_session.runningOperation()
                                                                     + QStringLiteral("\" is still running. Please press Preview again when it is over."));
        return;
    }
    if (!m_previewWindow)
        m_previewWindow = new PreviewWindow(&m_window);
    transform::Preview preview;
    // Refused with the box Start Transform shows.
    const QString badPercentage = percentageProblem();
    if (!badPercentage.isEmpty()) {
        m_session.prompter().tell(report::PromptIcon::Exclamation, badPercentage);
        preview.refused = badPercentage;
        m_previewWindow->showPreview(preview);
        return;
    }
    BusyCursor busy;
    const transform::RunChoices choices = runChoices();
    try {
        preview = transform::TransformPreview(m_session.connections(), m_session.reporter(), m_session.prompter()).preview(choices, runSettings(RunBy::Operator));
    } catch (const db::DbError& e) {
        preview.refused = masters::DatabaseUpdate::explain(e);
    } catch (const std::exception& e) {
        preview.refused = QString::fromUtf8(e.what());
    }
    m_previewWindow->showPreview(preview);
}

} // namespace app
