#include "app/MainWindow.h"

#include "app/ClickableLabel.h"
#include "app/GridFormat.h"
#include "text/DateText.h"
#include "masters/MasterCounts.h"
#include "reconcile/MismatchSearch.h"
#include "reconcile/TransactionCounts.h"
#include "upload/ActivitySummary.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace app {

namespace {

// The Transfers page's grids: their rows are filled by the page, their titles are set here.
const QString TransfersFormat =
    QStringLiteral("Inv No      |Date       |VchType         |HO key|Branch key|HO amount   |Branch amount|Copied at               |Copied by      ");
const QString SetAsideFormat = QStringLiteral("Kind    |What                                        |Reason                                                  |Tries|Last try            ");

template <typename Widget>
Widget* named(Widget* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent)
{
    return named(new QPushButton(caption, parent), name);
}

// A caption label tied to its control, so screen readers and mnemonics ("Ta&xMode") find the control.
QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QListWidget* multiSelectList(const QString& name, QWidget* parent)
{
    auto* list = named(new QListWidget(parent), name);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    return list;
}

QTableWidget* grid(const QString& name, const QString& format, QWidget* parent)
{
    auto* table = named(new QTableWidget(parent), name);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setAlternatingRowColors(true);
    GridFormat::apply(*table, format);
    // Operations fill a grid cell by cell: the columns fit their content once the filling is
    // done, not after every cell.
    auto* fit = new QTimer(table);
    fit->setSingleShot(true);
    fit->setInterval(0);
    QObject::connect(fit, &QTimer::timeout, table, [table] {
        table->resizeColumnsToContents();
        // Sizing to content undoes the stretch of the last column until it is set anew.
        table->horizontalHeader()->setStretchLastSection(false);
        table->horizontalHeader()->setStretchLastSection(true);
    });
    QObject::connect(table->model(), &QAbstractItemModel::dataChanged, fit, qOverload<>(&QTimer::start));
    QObject::connect(table->model(), &QAbstractItemModel::rowsInserted, fit, qOverload<>(&QTimer::start));
    QObject::connect(table->model(), &QAbstractItemModel::headerDataChanged, fit, qOverload<>(&QTimer::start));
    return table;
}

QDateEdit* datePicker(const QString& name, QWidget* parent)
{
    auto* picker = named(new QDateEdit(QDate::currentDate(), parent), name);
    picker->setCalendarPopup(true);
    // English month names whatever the machine's language, as in every other date the program shows.
    picker->setLocale(QLocale::c());
    picker->setDisplayFormat(QStringLiteral("dd/MMM/yyyy"));
    return picker;
}

// A status text may be a whole SQL statement: it must never widen the window.
QLabel* statusLine(const QString& name, QWidget* parent)
{
    auto* label = named(new QLabel(QStringLiteral("..."), parent), name);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

MainWindow::MainWindow(const QString& programFolder, QWidget* parent)
    : QMainWindow(parent)
    , m_programFolder(programFolder)
{
    setObjectName(QStringLiteral("frmMirtane"));
    setWindowTitle(QStringLiteral("Mirtane"));
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralArea"));
    setCentralWidget(central);

    m_content = new QWidget(central);
    m_content->setObjectName(QStringLiteral("mainArea"));
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->addWidget(m_content);

    m_horizontalSplitter = named(new QSplitter(Qt::Horizontal, m_content), QStringLiteral("upperSplitter"));
    m_mainPages = named(new QTabWidget(m_horizontalSplitter), QStringLiteral("SSTab1"));
    m_mainPages->addTab(buildStepOnePage(), QStringLiteral("Step 1"));
    m_mainPages->addTab(buildTechControlPage(), QStringLiteral("Tech Control Panel"));
    m_mainPages->addTab(buildMainCompanyPage(), QStringLiteral("Main Company Settings"));
    m_mainPages->addTab(buildSubCompanyPage(), QStringLiteral("Sub Company Settings"));
    m_mainPages->addTab(buildLogFilePage(), QStringLiteral("LogFile"));
    m_mainPages->setTabEnabled(TechControlPage, false);
    m_horizontalSplitter->addWidget(m_mainPages);
    m_horizontalSplitter->addWidget(buildVoucherPanel());
    m_horizontalSplitter->setStretchFactor(0, 3);
    m_horizontalSplitter->setStretchFactor(1, 2);
    m_horizontalSplitter->setChildrenCollapsible(false);
    // Voucher entries end in their amount after a run of blanks: the list needs room to show it.
    m_horizontalSplitter->setSizes({580, 420});

    m_verticalSplitter = named(new QSplitter(Qt::Vertical, m_content), QStringLiteral("mainSplitter"));
    m_verticalSplitter->addWidget(m_horizontalSplitter);
    m_verticalSplitter->addWidget(buildLowerTabs());
    m_verticalSplitter->setStretchFactor(0, 3);
    m_verticalSplitter->setStretchFactor(1, 1);
    m_verticalSplitter->setChildrenCollapsible(false);
    m_verticalSplitter->setSizes({700, 300});

    auto* contentLayout = new QVBoxLayout(m_content);
    contentLayout->setContentsMargins(6, 4, 6, 4);
    contentLayout->setSpacing(4);
    contentLayout->addWidget(buildTopBar());
    contentLayout->addWidget(m_verticalSplitter, 1);
    contentLayout->addWidget(buildNoticeStrip());
    contentLayout->addWidget(buildStatusLines());

    m_timertrigger = named(new QTimer(this), QStringLiteral("timertrigger"));
    m_timertrigger->setInterval(5000);

    buildLogin(central);
    fillFixedEntries();
    nameUncaptionedControls();
    addToolTipsAndShortcuts();
    orderTabs();

    central->installEventFilter(this);
    // Key presses must reach the window before the control that has the focus.
    qApp->installEventFilter(this);

    showLogin();
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
}

QWidget* MainWindow::buildTopBar()
{
    auto* bar = named(new QFrame(m_content), QStringLiteral("topBar"));
    m_lblSourceConnection = named(new QLabel(bar), QStringLiteral("lblSourceConnection"));
    m_lblDestinationConnection = named(new QLabel(bar), QStringLiteral("lblDestinationConnection"));
    m_lblDaystart = named(new QLabel(QStringLiteral("...."), bar), QStringLiteral("lblDaystart"));
    m_lblDaystartTime = named(new QLabel(QStringLiteral("...."), bar), QStringLiteral("lblDaystartTime"));
    m_lblTimerStatus = named(new QLabel(QStringLiteral("."), bar), QStringLiteral("lblTimerStatus"));
    m_cmdRefresh = button(QStringLiteral("cmdRefresh"), QStringLiteral("Reconnect"), bar);

    QFont bold = m_lblSourceConnection->font();
    bold.setBold(true);
    m_lblSourceConnection->setFont(bold);
    m_lblDestinationConnection->setFont(bold);
    m_lblTimerStatus->setMinimumWidth(m_lblTimerStatus->fontMetrics().horizontalAdvance(QStringLiteral("05/Dec/2026 10:30:00 AM")));
    m_lblTimerStatus->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(m_lblSourceConnection);
    layout->addWidget(m_lblDestinationConnection);
    layout->addStretch(1);
    layout->addWidget(m_lblDaystart);
    layout->addWidget(m_lblDaystartTime);
    layout->addWidget(m_lblTimerStatus);
    layout->addWidget(m_cmdRefresh);
    return bar;
}

QWidget* MainWindow::buildVoucherPanel()
{
    m_voucherPanel = named(new QFrame(m_horizontalSplitter), QStringLiteral("Picture1"));
    m_voucherPanel->setFrameShape(QFrame::StyledPanel);

    m_chkCheckAll = named(new QCheckBox(QStringLiteral("Check1"), m_voucherPanel), QStringLiteral("chkCheckAll"));
    m_lstSource = named(new QListWidget(m_voucherPanel), QStringLiteral("lstSource"));
    m_lstSource->setMinimumWidth(260);
    m_txttotVal = named(new QLabel(QStringLiteral("0.00000"), m_voucherPanel), QStringLiteral("txttotVal"));
    m_txtSelVal = named(new ClickableLabel(QStringLiteral("0.00000"), m_voucherPanel), QStringLiteral("txtSelVal"));
    m_txtReduceTo = named(new QLineEdit(m_voucherPanel), QStringLiteral("txtReduceTo"));
    m_cmdStartDatamigration = button(QStringLiteral("cmdStartDatamigration"), QStringLiteral("Start Transform"), m_voucherPanel);
    m_cmdPreviewTransform = button(QStringLiteral("cmdPreviewTransform"), QStringLiteral("Preview"), m_voucherPanel);
    m_cmdPreviewTransform->setToolTip(QStringLiteral("Show what Start Transform would copy and what it would be worth, without copying"));
    for (QLabel* total : {m_txttotVal, static_cast<QLabel*>(m_txtSelVal)}) {
        total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        total->setFrameShape(QFrame::StyledPanel);
        total->setFrameShadow(QFrame::Sunken);
    }
    m_txtReduceTo->setAlignment(Qt::AlignRight);

    auto* totals = new QFormLayout;
    totals->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    totals->addRow(caption(QStringLiteral("Total Value:"), m_txttotVal, m_voucherPanel), m_txttotVal);
    totals->addRow(caption(QStringLiteral("Total Selected Value:"), m_txtSelVal, m_voucherPanel), m_txtSelVal);
    totals->addRow(caption(QStringLiteral("Total Required Value:"), m_txtReduceTo, m_voucherPanel), m_txtReduceTo);

    auto* layout = new QVBoxLayout(m_voucherPanel);
    layout->addWidget(m_chkCheckAll);
    layout->addWidget(m_lstSource, 1);
    layout->addLayout(totals);
    auto* runButtons = new QHBoxLayout;
    runButtons->addWidget(m_cmdPreviewTransform);
    runButtons->addWidget(m_cmdStartDatamigration, 1);
    layout->addLayout(runButtons);
    return m_voucherPanel;
}

QWidget* MainWindow::buildStepOnePage()
{
    auto* page = named(new QWidget, QStringLiteral("pageStep1"));
    m_chkBulkInsert = named(new QCheckBox(QStringLiteral("Bulk Insert Instead of Individual insert (masters)"), page),
                            QStringLiteral("chkBulkInsert"));
    m_lstMasterSettings = multiSelectList(QStringLiteral("lstMasterSettings"), page);
    m_cmdFullSync = button(QStringLiteral("cmdFullSync"), QStringLiteral("Master Synchronisation"), page);
    m_cmdMasterSynchDetail = button(QStringLiteral("cmdMasterSynchDetail"), QStringLiteral("::"), page);
    m_cmdMasterSynchDetail->setToolTip(QStringLiteral("List the master tables"));
    m_cmdMasterSynchDetail->setFixedWidth(m_cmdMasterSynchDetail->fontMetrics().horizontalAdvance(QStringLiteral("::")) + 28);
    m_cmdSettingsSynch = button(QStringLiteral("cmdSettingsSynch"), QStringLiteral("Settings Synchronisation"), page);
    m_msgDataCount = grid(QStringLiteral("msgDataCount"), masters::MasterCounts::gridFormat(), page);

    auto* note = named(new QLabel(QStringLiteral("Masters will be identical with Main company. all masters created in sub "
                                                 "company will be ignored. Never Reversed "),
                                  page),
                       QStringLiteral("Label4"));
    note->setWordWrap(true);
    QFont noteFont = note->font();
    noteFont.setItalic(true);
    note->setFont(noteFont);

    auto* syncButtons = new QHBoxLayout;
    syncButtons->addWidget(m_cmdFullSync, 1);
    syncButtons->addWidget(m_cmdMasterSynchDetail);
    auto* left = new QVBoxLayout;
    left->addWidget(m_lstMasterSettings, 1);
    left->addLayout(syncButtons);
    left->addWidget(m_cmdSettingsSynch);
    // Each synchronisation shows or hides the list: it keeps its room while hidden, so that the
    // buttons below it never move under the operator's mouse (a double-click would land on the list).
    QSizePolicy listPolicy = m_lstMasterSettings->sizePolicy();
    listPolicy.setRetainSizeWhenHidden(true);
    m_lstMasterSettings->setSizePolicy(listPolicy);

    auto* right = new QVBoxLayout;
    right->addWidget(caption(QStringLiteral("Master Differences:"), m_msgDataCount, page));
    right->addWidget(m_msgDataCount, 1);
    right->addWidget(note);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(right, 3);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_chkBulkInsert);
    layout->addLayout(columns, 1);
    return page;
}

QWidget* MainWindow::buildTechControlPage()
{
    auto* page = named(new QWidget, QStringLiteral("pageTechControlPanel"));
    m_cmdUpdateDataBase = button(QStringLiteral("cmdUpdateDataBase"), QStringLiteral("Update Database"), page);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_cmdUpdateDataBase, 0, Qt::AlignLeft);
    layout->addStretch(1);
    return page;
}

QWidget* MainWindow::buildMainCompanyPage()
{
    auto* page = named(new QWidget, QStringLiteral("pageMainCompanySettings"));
    m_dtpdate = datePicker(QStringLiteral("dtpdate"), page);
    m_dtpto = datePicker(QStringLiteral("dtpto"), page);
    m_lstVchtypes = named(new QComboBox(page), QStringLiteral("lstVchtypes"));
    m_lstVchtypes->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_lstVchtypes->setMinimumContentsLength(18);
    m_lstCategories = multiSelectList(QStringLiteral("lstCategories"), page);
    m_itemClassList = multiSelectList(QStringLiteral("LstitemClass"), page);
    m_cmdShowTransactions = button(QStringLiteral("cmdShowTransactions"), QStringLiteral("Show Trans"), page);
    m_lblserverStat = named(new QLabel(QStringLiteral("LOCK"), page), QStringLiteral("lblserverStat"));

    auto* dates = new QHBoxLayout;
    dates->addWidget(caption(QStringLiteral("From :"), m_dtpdate, page));
    dates->addWidget(m_dtpdate);
    dates->addSpacing(12);
    dates->addWidget(caption(QStringLiteral("To :"), m_dtpto, page));
    dates->addWidget(m_dtpto);
    dates->addStretch(1);

    auto* voucherType = new QHBoxLayout;
    voucherType->addWidget(caption(QStringLiteral("VchTypes To Transform"), m_lstVchtypes, page));
    voucherType->addWidget(m_lstVchtypes, 1);

    auto* lists = new QGridLayout;
    lists->addWidget(caption(QStringLiteral("Categories To transform"), m_lstCategories, page), 0, 0);
    lists->addWidget(caption(QStringLiteral("ItemClass To transform"), m_itemClassList, page), 0, 1);
    lists->addWidget(m_lstCategories, 1, 0);
    lists->addWidget(m_itemClassList, 1, 1);
    lists->setRowStretch(1, 1);

    auto* actions = new QHBoxLayout;
    actions->addWidget(m_cmdShowTransactions);
    actions->addStretch(1);
    actions->addWidget(m_lblserverStat);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(dates);
    layout->addLayout(voucherType);
    layout->addLayout(lists, 1);
    layout->addLayout(actions);
    return page;
}

QWidget* MainWindow::buildSubCompanyPage()
{
    auto* page = named(new QWidget, QStringLiteral("pageSubCompanySettings"));
    m_cboVchtypeTotransform = named(new QComboBox(page), QStringLiteral("cboVchtypeTotransform"));
    m_cboVchtypeTotransform->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cboVchtypeTotransform->setMinimumContentsLength(18);
    m_cboTaxMode = named(new QComboBox(page), QStringLiteral("cboTaxMode"));
    m_txtPRateDiscount = named(new QLineEdit(page), QStringLiteral("txtPRateDiscount"));
    m_txtSRateDiscount = named(new QLineEdit(page), QStringLiteral("txtSRateDiscount"));
    m_txtMRPDiscount = named(new QLineEdit(page), QStringLiteral("txtMRPDiscount"));
    for (QLineEdit* discount : {m_txtPRateDiscount, m_txtSRateDiscount, m_txtMRPDiscount}) {
        discount->setAlignment(Qt::AlignRight);
        discount->setMaximumWidth(120);
    }

    auto* form = new QFormLayout;
    form->addRow(caption(QStringLiteral("Destination Vchtype To Transform"), m_cboVchtypeTotransform, page),
                 m_cboVchtypeTotransform);
    form->addRow(caption(QStringLiteral("Dest Ta&xMode:"), m_cboTaxMode, page), m_cboTaxMode);
    form->addRow(caption(QStringLiteral("PRate Discount%:"), m_txtPRateDiscount, page), m_txtPRateDiscount);
    form->addRow(caption(QStringLiteral("SRate Discount%:"), m_txtSRateDiscount, page), m_txtSRateDiscount);
    form->addRow(caption(QStringLiteral("MRP Discount%:"), m_txtMRPDiscount, page), m_txtMRPDiscount);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addStretch(1);
    return page;
}

QWidget* MainWindow::buildLogFilePage()
{
    auto* page = named(new QWidget, QStringLiteral("pageLogFile"));
    m_txtLog = named(new QPlainTextEdit(page), QStringLiteral("txtLog"));
    m_txtLog->setReadOnly(true);
    m_txtLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_txtLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_txtLog);
    return page;
}

QWidget* MainWindow::buildLowerTabs()
{
    m_lowerPages = named(new QTabWidget(m_verticalSplitter), QStringLiteral("SSTab2"));
    m_msgTransGrid = grid(QStringLiteral("msgTransGrid"), reconcile::TransactionCounts::gridFormat(), m_lowerPages);
    m_msgActivity = grid(QStringLiteral("msgActivity"), upload::ActivitySummary::gridFormat(), m_lowerPages);
    m_msgMisMatch = grid(QStringLiteral("msgMisMatch"), reconcile::MismatchSearch::gridFormat(), m_lowerPages);
    m_lowerPages->addTab(m_msgTransGrid, QStringLiteral("Voucher Det"));
    m_lowerPages->addTab(m_msgActivity, QStringLiteral("Activity"));
    m_lowerPages->addTab(m_msgMisMatch, QStringLiteral("Mismatch"));
    m_lowerPages->addTab(buildTransfersPage(), QStringLiteral("Transfers"));
    // The day's voucher counts have about ten rows: every lower grid shows that many without
    // scrolling, down to a 1366x768 screen.
    constexpr int shownRows = 10;
    m_lowerPages->setMinimumHeight(m_lowerPages->tabBar()->sizeHint().height() + m_msgTransGrid->horizontalHeader()->sizeHint().height()
                               + shownRows * m_msgTransGrid->verticalHeader()->defaultSectionSize() + 2 * m_msgTransGrid->frameWidth() + 12);

    // The cost centre belongs to the "Mismatch" page only; it sits in the tab row above the grid.
    auto* costCentre = named(new QWidget(m_lowerPages), QStringLiteral("fraCostCentre"));
    m_cboCostCentre = named(new QComboBox(costCentre), QStringLiteral("cboCostCentre"));
    m_cboCostCentre->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cboCostCentre->setMinimumContentsLength(16);
    auto* costCentreRow = new QHBoxLayout(costCentre);
    costCentreRow->setContentsMargins(0, 0, 4, 0);
    costCentreRow->addWidget(caption(QStringLiteral("Cost Centre :"), m_cboCostCentre, costCentre));
    costCentreRow->addWidget(m_cboCostCentre);
    m_lowerPages->setCornerWidget(costCentre, Qt::TopRightCorner);
    costCentre->setVisible(false);
    connect(m_lowerPages, &QTabWidget::currentChanged, costCentre, [costCentre](int page) { costCentre->setVisible(page == MismatchPage); });
    return m_lowerPages;
}

QWidget* MainWindow::buildTransfersPage()
{
    auto* page = named(new QWidget(m_lowerPages), QStringLiteral("pageTransfers"));
    m_msgTransfers = grid(QStringLiteral("msgTransfers"), TransfersFormat, page);
    m_msgSetAside = grid(QStringLiteral("msgSetAside"), SetAsideFormat, page);
    m_lblTransfers = named(new QLabel(page), QStringLiteral("lblTransfers"));
    m_cmdExportTransfers = button(QStringLiteral("cmdExportTransfers"), QStringLiteral("Export..."), page);
    m_cmdExportTransfers->setToolTip(QStringLiteral("Write this page as a CSV file for head office's accountants"));
    auto* setAsideCaption = caption(QStringLiteral("Set aside:"), m_msgSetAside, page);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_lblTransfers, 1);
    bottom->addWidget(m_cmdExportTransfers);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_msgTransfers, 1);
    layout->addWidget(setAsideCaption);
    layout->addWidget(m_msgSetAside);
    // A few rows wait at a time; the copies get the rest of the page.
    m_msgSetAside->setFixedHeight(m_msgSetAside->horizontalHeader()->sizeHint().height() + 3 * m_msgSetAside->verticalHeader()->defaultSectionSize()
                                  + 2 * m_msgSetAside->frameWidth());
    layout->addLayout(bottom);
    return page;
}

QWidget* MainWindow::buildNoticeStrip()
{
    m_fraNotice = named(new QFrame(m_content), QStringLiteral("fraNotice"));
    m_fraNotice->setFrameShape(QFrame::StyledPanel);
    m_fraNotice->setStyleSheet(QStringLiteral("#fraNotice { background: #fff4c2; border: 1px solid #d9b84a; }"));
    m_lblNotice = named(new QLabel(m_fraNotice), QStringLiteral("lblNotice"));
    m_lblNotice->setWordWrap(true);
    m_lblNotice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* close = named(new QToolButton(m_fraNotice), QStringLiteral("cmdDismissNotice"));
    close->setText(QStringLiteral("Dismiss"));
    connect(close, &QToolButton::clicked, this, &MainWindow::dismissNotice);

    auto* layout = new QHBoxLayout(m_fraNotice);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->addWidget(m_lblNotice, 1);
    layout->addWidget(close, 0, Qt::AlignTop);
    m_fraNotice->hide();
    return m_fraNotice;
}

QWidget* MainWindow::buildStatusLines()
{
    auto* bar = named(new QWidget(m_content), QStringLiteral("statusLines"));
    m_lblStatusMain = statusLine(QStringLiteral("lblStatusMain"), bar);
    m_lblStatus = statusLine(QStringLiteral("lblStatus"), bar);
    m_lblHealth = statusLine(QStringLiteral("lblHealth"), bar);
    m_lblHealth->clear();
    m_lblHealth->hide();
    m_lblOperation = named(new QLabel(bar), QStringLiteral("lblOperation"));
    m_prgOperation = named(new QProgressBar(bar), QStringLiteral("prgOperation"));
    m_prgOperation->setFixedWidth(160);
    m_prgOperation->setFormat(QStringLiteral("%v of %m"));
    m_prgOperation->setAccessibleName(QStringLiteral("prgOperation"));
    m_lblOperation->hide();
    m_prgOperation->hide();
    m_cmdNotices = button(QStringLiteral("cmdNotices"), QStringLiteral("Notices"), bar);
    connect(m_cmdNotices, &QPushButton::clicked, this, &MainWindow::showNotices);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_lblStatusMain, 3);
    layout->addWidget(m_lblStatus, 2);
    layout->addWidget(m_lblHealth, 4);
    layout->addWidget(m_lblOperation);
    layout->addWidget(m_prgOperation);
    layout->addWidget(m_cmdNotices);
    return bar;
}

void MainWindow::buildLogin(QWidget* over)
{
    m_fraLogin = named(new QFrame(over), QStringLiteral("fraLogin"));
    m_fraLogin->setAutoFillBackground(true);

    auto* box = named(new QFrame(m_fraLogin), QStringLiteral("loginBox"));
    box->setFrameShape(QFrame::StyledPanel);
    box->setFrameShadow(QFrame::Raised);
    box->setAutoFillBackground(true);
    box->setBackgroundRole(QPalette::Base);
    box->setMinimumWidth(380);

    auto* title = new QLabel(QStringLiteral("Mirtane"), box);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    title->setFont(titleFont);

    m_cboSourceCompany = named(new QComboBox(box), QStringLiteral("cboSourceCompany"));
    m_cboDestinationCompany = named(new QComboBox(box), QStringLiteral("cboDestinationCompany"));
    for (QComboBox* company : {m_cboSourceCompany, m_cboDestinationCompany}) {
        company->setEditable(true);
        company->setInsertPolicy(QComboBox::NoInsert);
    }
    m_cmdConnect = button(QStringLiteral("cmdConnect"), QStringLiteral("Connect"), box);
    m_cmdConnect->setDefault(true);
    m_cmdLoginNotices = button(QStringLiteral("cmdLoginNotices"), QStringLiteral("Notices"), box);
    m_cmdLoginNotices->setToolTip(QStringLiteral("Show the notifications, errors and warnings of this session with their times"));
    m_cmdLoginNotices->hide();
    connect(m_cmdLoginNotices, &QPushButton::clicked, this, &MainWindow::showNotices);
    m_lblConnect = named(new ClickableLabel({}, box), QStringLiteral("lblConnect"));
    m_lblConnect->setWordWrap(true);

    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(24, 18, 24, 18);
    boxLayout->setSpacing(6);
    boxLayout->addWidget(title);
    boxLayout->addSpacing(8);
    boxLayout->addWidget(caption(QStringLiteral("Main Company:"), m_cboSourceCompany, box));
    boxLayout->addWidget(m_cboSourceCompany);
    boxLayout->addSpacing(4);
    boxLayout->addWidget(caption(QStringLiteral("Sub Company"), m_cboDestinationCompany, box));
    boxLayout->addWidget(m_cboDestinationCompany);
    boxLayout->addSpacing(10);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_cmdLoginNotices);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_cmdConnect);
    boxLayout->addLayout(buttonRow);
    boxLayout->addWidget(m_lblConnect);

    // The box stays centred however the window is sized.
    auto* overlayLayout = new QGridLayout(m_fraLogin);
    overlayLayout->addWidget(box, 1, 1);
    overlayLayout->setRowStretch(0, 1);
    overlayLayout->setRowStretch(2, 1);
    overlayLayout->setColumnStretch(0, 1);
    overlayLayout->setColumnStretch(2, 1);
}

void MainWindow::fillFixedEntries()
{
    const QStringList itemClasses = {
        QStringLiteral("STOCK ITEM"),     QStringLiteral("STOCK ITEM-II"), QStringLiteral("STOCK ITEM-III"),
        QStringLiteral("STOCK ITEM-IV"),  QStringLiteral("NON-STOCK ITEM"), QStringLiteral("SERVICE-I"),
        QStringLiteral("SERVICE-II"),     QStringLiteral("SERVICE-III"),   QStringLiteral("SERVICE-IV"),
        QStringLiteral("RETURNABLE PACKING MATERIAL"),
    };
    for (int id = 0; id < itemClasses.size(); ++id) {
        auto* item = new QListWidgetItem(itemClasses[id], m_itemClassList);
        item->setData(Qt::UserRole, id);
    }

    const QStringList taxModes = {
        QStringLiteral("<SAME AS SOURCE>"), QStringLiteral("<None>"),   QStringLiteral("VAT"),
        QStringLiteral("CST"),              QStringLiteral("TaxOnMRP"), QStringLiteral("GST"),
    };
    for (int id = 0; id < taxModes.size(); ++id)
        m_cboTaxMode->addItem(taxModes[id], id);
}

void MainWindow::nameUncaptionedControls()
{
    // Buttons, check boxes and labels are read by their text (a screen reader says the total, not
    // "txttotVal"); controls with no text of their own by their control name. Automation finds
    // every control by its object name.
    const QList<QWidget*> uncaptioned = {
        m_fraLogin, m_cboSourceCompany, m_cboDestinationCompany, m_voucherPanel, m_lstSource,
        m_txtReduceTo, m_mainPages, m_lstMasterSettings, m_msgDataCount, m_dtpdate,
        m_dtpto, m_lstVchtypes, m_lstCategories, m_itemClassList, m_cboVchtypeTotransform,
        m_cboTaxMode, m_txtPRateDiscount, m_txtSRateDiscount, m_txtMRPDiscount, m_txtLog, m_lowerPages,
        m_msgTransGrid, m_msgActivity, m_cboCostCentre, m_msgMisMatch, m_msgTransfers, m_msgSetAside,
    };
    for (QWidget* control : uncaptioned)
        control->setAccessibleName(control->objectName());
}

void MainWindow::addToolTipsAndShortcuts()
{
    // The shortcut is named in the tip, so the operator learns it by pointing at the button.
    struct Hint {
        QAbstractButton* button;
        QString tip;
        QKeySequence keys;
    };
    const QList<Hint> hints = {
        {m_cmdConnect, QStringLiteral("Connect to the main company (head office) and the sub company (this branch)"), {}},
        {m_cmdFullSync, QStringLiteral("Replace the sub company's masters with the main company's (head office's); masters created "
                                       "in the sub company are lost"),
         QKeySequence(Qt::CTRL | Qt::Key_M)},
        {m_cmdSettingsSynch, QStringLiteral("Copy the application settings and the voucher types from the main company to the sub company"),
         QKeySequence(Qt::CTRL | Qt::Key_G)},
        {m_cmdUpdateDataBase, QStringLiteral("Bring the sub company's database tables up to the program's version"),
         QKeySequence(Qt::CTRL | Qt::Key_U)},
        {m_cmdShowTransactions, QStringLiteral("List the main company's vouchers of the chosen type, dates, categories and item classes"),
         QKeySequence(Qt::CTRL | Qt::Key_T)},
        {m_cmdStartDatamigration, QStringLiteral("Copy the checked vouchers to the sub company"), QKeySequence(Qt::CTRL | Qt::Key_R)},
        {m_cmdRefresh, QStringLiteral("Show the login panel again to connect to other companies"), QKeySequence(Qt::Key_F5)},
        {m_cmdNotices, QStringLiteral("Show the notifications, errors and warnings of this session with their times"),
         QKeySequence(Qt::CTRL | Qt::Key_N)},
        {m_chkBulkInsert, QStringLiteral("Copy the masters through the linked server in one statement per table instead of row by row"), {}},
        {m_chkCheckAll, QStringLiteral("Check or uncheck every voucher of the list"), {}},
    };
    for (const Hint& hint : hints) {
        QString tip = hint.tip;
        if (!hint.keys.isEmpty()) {
            // The window holds the shortcut, not the button, so that it also works while the
            // button's page is hidden.
            auto* action = new QAction(hint.button->text(), this);
            action->setObjectName(QStringLiteral("act") + hint.button->objectName().mid(3));
            action->setShortcut(hint.keys);
            action->setShortcutContext(Qt::WindowShortcut);
            addAction(action);
            QAbstractButton* button = hint.button;
            connect(action, &QAction::triggered, this, [this, button] { pressFromShortcut(button); });
            tip += QStringLiteral(" (") + hint.keys.toString(QKeySequence::NativeText) + QLatin1Char(')');
        }
        hint.button->setToolTip(tip);
        hint.button->setAccessibleDescription(tip);
    }
}

void MainWindow::pressFromShortcut(QAbstractButton* button)
{
    // The notices can always be read, even while the login panel covers their button.
    if (button == m_cmdNotices) {
        showNotices();
        return;
    }
    if (isLoginShown())
        return;
    // A button on a page that is not shown is brought into view and given the focus, not pressed:
    // the operator sees what the key would start before it starts.
    for (int page = 0; page < m_mainPages->count(); ++page) {
        if (page == m_mainPages->currentIndex() || !m_mainPages->widget(page)->isAncestorOf(button))
            continue;
        if (m_mainPages->isTabEnabled(page)) {
            m_mainPages->setCurrentIndex(page);
            button->setFocus(Qt::ShortcutFocusReason);
        }
        return;
    }
    if (button->isVisible() && button->isEnabled())
        button->animateClick();
}

void MainWindow::orderTabs()
{
    // Left to right, top to bottom, as the operator reads the window: the page, then the voucher
    // list beside it, then the lower grids and the notices.
    const QList<QWidget*> order = {
        m_mainPages, m_chkBulkInsert, m_lstMasterSettings, m_cmdFullSync, m_cmdMasterSynchDetail, m_cmdSettingsSynch, m_msgDataCount,
        m_cmdUpdateDataBase, m_dtpdate, m_dtpto, m_lstVchtypes, m_lstCategories, m_itemClassList, m_cmdShowTransactions,
        m_cboVchtypeTotransform, m_cboTaxMode, m_txtPRateDiscount, m_txtSRateDiscount, m_txtMRPDiscount, m_txtLog,
        m_chkCheckAll, m_lstSource, m_txtReduceTo, m_cmdPreviewTransform, m_cmdStartDatamigration, m_lowerPages, m_cboCostCentre, m_msgTransGrid,
        m_msgActivity, m_msgMisMatch, m_msgTransfers, m_msgSetAside, m_cmdExportTransfers, m_cmdRefresh, m_cmdNotices,
    };
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    QWidget::setTabOrder(m_cboSourceCompany, m_cboDestinationCompany);
    QWidget::setTabOrder(m_cboDestinationCompany, m_cmdConnect);
    QWidget::setTabOrder(m_cmdConnect, m_cmdLoginNotices);
}

void MainWindow::addNotice(const QString& text, const QDateTime& time)
{
    m_notices.append({time, text});
    countNotices();
    if (m_noticeDialog && m_noticeDialog->isVisible())
        showNotices();
}

void MainWindow::countNotices()
{
    const QString caption = QStringLiteral("Notices (") + QString::number(m_notices.size()) + QLatin1Char(')');
    m_cmdNotices->setText(caption);
    m_cmdLoginNotices->setText(caption);
    m_cmdLoginNotices->setVisible(!m_notices.isEmpty());
}

const QList<MainWindow::Notice>& MainWindow::notices() const
{
    return m_notices;
}

void MainWindow::showNotices()
{
    if (!m_noticeDialog) {
        m_noticeDialog = named(new QDialog(this), QStringLiteral("dlgNotices"));
        m_noticeDialog->setWindowTitle(QStringLiteral("Notices"));
        m_noticeDialog->resize(640, 320);
        auto* table = named(new QTableWidget(0, 2, m_noticeDialog), QStringLiteral("tblNotices"));
        table->setAccessibleName(QStringLiteral("tblNotices"));
        table->setHorizontalHeaderLabels({QStringLiteral("Time"), QStringLiteral("Notice")});
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setWordWrap(true);
        table->verticalHeader()->setVisible(false);
        table->horizontalHeader()->setStretchLastSection(true);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, m_noticeDialog);
        connect(buttons, &QDialogButtonBox::rejected, m_noticeDialog, &QDialog::hide);
        auto* layout = new QVBoxLayout(m_noticeDialog);
        layout->addWidget(table);
        layout->addWidget(buttons);
    }
    auto* table = m_noticeDialog->findChild<QTableWidget*>(QStringLiteral("tblNotices"));
    table->setRowCount(int(m_notices.size()));
    // Newest first: the operator coming back looks for what happened last.
    for (qsizetype i = 0; i < m_notices.size(); ++i) {
        const Notice& notice = m_notices[m_notices.size() - 1 - i];
        table->setItem(int(i), 0, new QTableWidgetItem(text::DateText::human(notice.time)));
        table->setItem(int(i), 1, new QTableWidgetItem(notice.text));
    }
    table->resizeColumnToContents(0);
    m_noticeDialog->show();
    m_noticeDialog->raise();
    // Rows fit their wrapped text only once the dialog has its width.
    table->resizeRowsToContents();
}

QPushButton* MainWindow::cmdNotices() const { return m_cmdNotices; }
QPushButton* MainWindow::cmdLoginNotices() const { return m_cmdLoginNotices; }
QProgressBar* MainWindow::prgOperation() const { return m_prgOperation; }
QLabel* MainWindow::lblOperation() const { return m_lblOperation; }

const QString& MainWindow::programFolder() const
{
    return m_programFolder;
}

void MainWindow::showLogin()
{
    // Behind the panel nothing may take the focus, or Tab would wander into controls the operator cannot see.
    m_content->setEnabled(false);
    fitLoginToWindow();
    m_fraLogin->show();
    m_fraLogin->raise();
    m_cboSourceCompany->setFocus();
}

void MainWindow::hideLogin()
{
    m_fraLogin->hide();
    m_content->setEnabled(true);
}

bool MainWindow::isLoginShown() const
{
    return !m_fraLogin->isHidden();
}

void MainWindow::enableTechControlPage()
{
    m_mainPages->setTabEnabled(TechControlPage, true);
}

void MainWindow::setCloseQuestion(std::function<bool()> question)
{
    m_closeQuestion = std::move(question);
}

void MainWindow::showNotice(const QString& text)
{
    m_lblNotice->setText(text);
    m_noticeOperation = m_runningOperation;
    m_fraNotice->show();
}

void MainWindow::operationSucceeded(const QString& name)
{
    // The history keeps the old notice; the strip shows only what is still true.
    if (!m_fraNotice->isHidden() && !name.isEmpty() && m_noticeOperation == name)
        dismissNotice();
}

void MainWindow::dismissNotice()
{
    m_fraNotice->hide();
    m_lblNotice->clear();
}

QFrame* MainWindow::noticeStrip() const { return m_fraNotice; }
QLabel* MainWindow::noticeText() const { return m_lblNotice; }

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Insert
        && belongsToThisWindow(watched)) {
        // The control still gets the key afterwards.
        enableTechControlPage();
    } else if (watched == centralWidget() && event->type() == QEvent::Resize) {
        fitLoginToWindow();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeQuestion && !m_closeQuestion()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::fitLoginToWindow()
{
    m_fraLogin->setGeometry(centralWidget()->rect());
}

bool MainWindow::belongsToThisWindow(QObject* object) const
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && (widget == this || isAncestorOf(widget));
}

QFrame* MainWindow::fraLogin() const { return m_fraLogin; }
QComboBox* MainWindow::cboSourceCompany() const { return m_cboSourceCompany; }
QComboBox* MainWindow::cboDestinationCompany() const { return m_cboDestinationCompany; }
QPushButton* MainWindow::cmdConnect() const { return m_cmdConnect; }
ClickableLabel* MainWindow::lblConnect() const { return m_lblConnect; }
QFrame* MainWindow::voucherPanel() const { return m_voucherPanel; }
QListWidget* MainWindow::lstSource() const { return m_lstSource; }
QCheckBox* MainWindow::chkCheckAll() const { return m_chkCheckAll; }
QLineEdit* MainWindow::txtReduceTo() const { return m_txtReduceTo; }
QLabel* MainWindow::txttotVal() const { return m_txttotVal; }
ClickableLabel* MainWindow::txtSelVal() const { return m_txtSelVal; }
QPushButton* MainWindow::cmdStartDatamigration() const { return m_cmdStartDatamigration; }
QPushButton* MainWindow::cmdRefresh() const { return m_cmdRefresh; }
QTabWidget* MainWindow::mainPages() const { return m_mainPages; }
QCheckBox* MainWindow::chkBulkInsert() const { return m_chkBulkInsert; }
QListWidget* MainWindow::lstMasterSettings() const { return m_lstMasterSettings; }
QPushButton* MainWindow::cmdFullSync() const { return m_cmdFullSync; }
QPushButton* MainWindow::cmdMasterSynchDetail() const { return m_cmdMasterSynchDetail; }
QPushButton* MainWindow::cmdSettingsSynch() const { return m_cmdSettingsSynch; }
QTableWidget* MainWindow::msgDataCount() const { return m_msgDataCount; }
QPushButton* MainWindow::cmdUpdateDataBase() const { return m_cmdUpdateDataBase; }
QDateEdit* MainWindow::dtpdate() const { return m_dtpdate; }
QDateEdit* MainWindow::dtpto() const { return m_dtpto; }
QComboBox* MainWindow::lstVchtypes() const { return m_lstVchtypes; }
QListWidget* MainWindow::lstCategories() const { return m_lstCategories; }
QListWidget* MainWindow::itemClassList() const { return m_itemClassList; }
QPushButton* MainWindow::cmdShowTransactions() const { return m_cmdShowTransactions; }
QLabel* MainWindow::lblserverStat() const { return m_lblserverStat; }
QComboBox* MainWindow::cboVchtypeTotransform() const { return m_cboVchtypeTotransform; }
QComboBox* MainWindow::cboTaxMode() const { return m_cboTaxMode; }
QLineEdit* MainWindow::txtPRateDiscount() const { return m_txtPRateDiscount; }
QLineEdit* MainWindow::txtSRateDiscount() const { return m_txtSRateDiscount; }
QLineEdit* MainWindow::txtMRPDiscount() const { return m_txtMRPDiscount; }
QPlainTextEdit* MainWindow::txtLog() const { return m_txtLog; }
QTabWidget* MainWindow::lowerPages() const { return m_lowerPages; }
QTableWidget* MainWindow::msgTransGrid() const { return m_msgTransGrid; }
QTableWidget* MainWindow::msgActivity() const { return m_msgActivity; }
QComboBox* MainWindow::cboCostCentre() const { return m_cboCostCentre; }
QTableWidget* MainWindow::msgMisMatch() const { return m_msgMisMatch; }
QTimer* MainWindow::timertrigger() const { return m_timertrigger; }
QLabel* MainWindow::lblSourceConnection() const { return m_lblSourceConnection; }
QLabel* MainWindow::lblDestinationConnection() const { return m_lblDestinationConnection; }
QLabel* MainWindow::lblDaystart() const { return m_lblDaystart; }
QLabel* MainWindow::lblDaystartTime() const { return m_lblDaystartTime; }
QLabel* MainWindow::lblTimerStatus() const { return m_lblTimerStatus; }
QLabel* MainWindow::lblStatusMain() const { return m_lblStatusMain; }
QLabel* MainWindow::lblStatus() const { return m_lblStatus; }
QLabel* MainWindow::lblHealth() const { return m_lblHealth; }

} // namespace app
