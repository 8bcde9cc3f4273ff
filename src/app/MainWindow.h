#pragma once

#include <QDateTime>
#include <QList>
#include <QMainWindow>
#include <QString>

#include <functional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QDialog;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QTimer;
class QToolButton;

namespace app {

class ClickableLabel;

/// The main window (frmMirtane): every control the operators' documentation names, under that name,
/// and the login panel that covers the window until the companies are connected. It holds no SQL:
/// operations are wired to its controls from outside through the accessors below.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    /// Pages of SSTab1, in tab order.
    enum MainPage { StepOnePage = 0, TechControlPage = 1, MainCompanyPage = 2, SubCompanyPage = 3, LogFilePage = 4 };
    /// Pages of SSTab2, in tab order.
    enum LowerPage { VoucherDetPage = 0, ActivityPage = 1, MismatchPage = 2, TransfersPage = 3 };

    /// Builds every control; `programFolder` is where Resources/, the log folders and servers/ live.
    /// The login panel is shown and the "Tech Control Panel" page is unavailable until Insert is pressed.
    explicit MainWindow(const QString& programFolder, QWidget* parent = nullptr);
    /// Stops watching the application's key presses.
    ~MainWindow() override;

    /// The program folder given at construction.
    const QString& programFolder() const;

    /// Shows the login panel over the whole window; the controls behind it cannot be reached meanwhile.
    void showLogin();
    /// Hides the login panel and gives the controls behind it back to the operator.
    void hideLogin();
    /// True while the login panel covers the window.
    bool isLoginShown() const;

    /// Makes the "Tech Control Panel" page of SSTab1 available, as the Insert key does.
    void enableTechControlPage();

    /// Sets the question asked when the window is about to close: it closes only when the question
    /// returns true. Without a question (the default) the window simply closes.
    void setCloseQuestion(std::function<bool()> question);

    /// Shows `text` in the notice strip above the status lines until the operator dismisses it or a
    /// newer notice replaces it; for notifications where the desktop has no notification area.
    void showNotice(const QString& text);
    /// Hides the notice strip.
    void dismissNotice();
    /// Names the operation running now (""), so that a notice it raises can be taken back when a
    /// later run of the same operation succeeds.
    void setRunningOperation(const QString& name) { m_runningOperation = name; }
    /// A run of `name` ended without a notice: a notice strip left by an earlier run of it goes.
    void operationSucceeded(const QString& name);
    /// The notice strip (fraNotice), hidden while there is no notice.
    QFrame* noticeStrip() const;
    /// The text of the notice strip (lblNotice).
    QLabel* noticeText() const;

    /// One entry of the notice history.
    struct Notice {
        QDateTime time;
        QString text;
    };
    /// Adds `text` to the notice history the operator opens with cmdNotices, so a notification
    /// missed while away is not lost.
    void addNotice(const QString& text, const QDateTime& time = QDateTime::currentDateTime());
    /// The notice history, oldest first.
    const QList<Notice>& notices() const;
    /// Opens (or brings to the front) the notice history dialog dlgNotices.
    void showNotices();
    /// Button cmdNotices that opens the notice history; its caption counts the notices.
    QPushButton* cmdNotices() const;
    /// The same on the login panel, cmdLoginNotices, shown once there is a notice: behind the
    /// panel the window's own button cannot be reached.
    QPushButton* cmdLoginNotices() const;
    /// Progress bar prgOperation beside the status lines, hidden while no long work runs.
    QProgressBar* prgOperation() const;
    /// Name of the long work the progress bar shows, lblOperation.
    QLabel* lblOperation() const;

    /// Login panel fraLogin.
    QFrame* fraLogin() const;
    /// Main company combo cboSourceCompany (editable).
    QComboBox* cboSourceCompany() const;
    /// Sub company combo cboDestinationCompany (editable).
    QComboBox* cboDestinationCompany() const;
    /// Button cmdConnect "Connect".
    QPushButton* cmdConnect() const;
    /// Label lblConnect of the login panel; clicking it means the same as cmdConnect.
    ClickableLabel* lblConnect() const;

    /// Panel Picture1 that holds the voucher list and its totals.
    QFrame* voucherPanel() const;
    /// Voucher list lstSource; its entries carry check boxes and the voucher id as item data.
    QListWidget* lstSource() const;
    /// Check box chkCheckAll "Check1".
    QCheckBox* chkCheckAll() const;
    /// Required total value txtReduceTo.
    QLineEdit* txtReduceTo() const;
    /// Total value label txttotVal.
    QLabel* txttotVal() const;
    /// Selected value label txtSelVal; reports double-clicks.
    ClickableLabel* txtSelVal() const;
    /// Button cmdStartDatamigration "Start Transform".
    QPushButton* cmdStartDatamigration() const;
    /// Button cmdRefresh "Reconnect".
    QPushButton* cmdRefresh() const;

    /// Main tab strip SSTab1 (pages as MainPage).
    QTabWidget* mainPages() const;
    /// Check box chkBulkInsert.
    QCheckBox* chkBulkInsert() const;
    /// Multi-select master list lstMasterSettings.
    QListWidget* lstMasterSettings() const;
    /// Button cmdFullSync "Master Synchronisation".
    QPushButton* cmdFullSync() const;
    /// Button cmdMasterSynchDetail "::".
    QPushButton* cmdMasterSynchDetail() const;
    /// Button cmdSettingsSynch "Settings Synchronisation".
    QPushButton* cmdSettingsSynch() const;
    /// Master count grid msgDataCount.
    QTableWidget* msgDataCount() const;
    /// Button cmdUpdateDataBase "Update Database".
    QPushButton* cmdUpdateDataBase() const;

    /// From date picker dtpdate; its date also names the daily log file.
    QDateEdit* dtpdate() const;
    /// To date picker dtpto.
    QDateEdit* dtpto() const;
    /// Source voucher type drop-down lstVchtypes.
    QComboBox* lstVchtypes() const;
    /// Multi-select category list lstCategories.
    QListWidget* lstCategories() const;
    /// Multi-select item class list LstitemClass, filled with the ten item classes.
    QListWidget* itemClassList() const;
    /// Button cmdShowTransactions "Show Trans".
    QPushButton* cmdShowTransactions() const;
    /// Label lblserverStat "LOCK".
    QLabel* lblserverStat() const;

    /// Destination voucher type drop-down cboVchtypeTotransform.
    QComboBox* cboVchtypeTotransform() const;
    /// Destination tax mode drop-down cboTaxMode, filled with the six tax modes.
    QComboBox* cboTaxMode() const;
    /// Purchase rate reduction txtPRateDiscount.
    QLineEdit* txtPRateDiscount() const;
    /// Sales rate reduction txtSRateDiscount.
    QLineEdit* txtSRateDiscount() const;
    /// MRP reduction txtMRPDiscount.
    QLineEdit* txtMRPDiscount() const;
    /// Read-only log view txtLog.
    QPlainTextEdit* txtLog() const;

    /// Lower tab strip SSTab2 (pages as LowerPage).
    QTabWidget* lowerPages() const;
    /// Transaction count grid msgTransGrid ("Voucher Det").
    QTableWidget* msgTransGrid() const;
    /// Activity summary grid msgActivity ("Activity").
    QTableWidget* msgActivity() const;
    /// Cost-centre drop-down cboCostCentre of the "Mismatch" page, shown above msgMisMatch while that page is in front.
    QComboBox* cboCostCentre() const;
    /// Mismatch grid msgMisMatch ("Mismatch").
    QTableWidget* msgMisMatch() const;
    /// Copied vouchers grid msgTransfers ("Transfers"), set-aside grid msgSetAside below it, the
    /// page's note lblTransfers and its button cmdExportTransfers "Export...".
    QTableWidget* msgTransfers() const { return m_msgTransfers; }
    QTableWidget* msgSetAside() const { return m_msgSetAside; }
    QLabel* lblTransfers() const { return m_lblTransfers; }
    QPushButton* cmdExportTransfers() const { return m_cmdExportTransfers; }
    /// Button cmdPreviewTransform "Preview" beside Start Transform.
    QPushButton* cmdPreviewTransform() const { return m_cmdPreviewTransform; }

    /// Sync timer timertrigger: 5000 ms, not running until started from outside.
    QTimer* timertrigger() const;

    /// Connection caption lblSourceConnection.
    QLabel* lblSourceConnection() const;
    /// Connection caption lblDestinationConnection.
    QLabel* lblDestinationConnection() const;
    /// Label lblDaystart "....".
    QLabel* lblDaystart() const;
    /// Label lblDaystartTime "....".
    QLabel* lblDaystartTime() const;
    /// Time of the last connect or timer tick, lblTimerStatus.
    QLabel* lblTimerStatus() const;
    /// Main status line lblStatusMain.
    QLabel* lblStatusMain() const;
    /// Progress line lblStatus.
    QLabel* lblStatus() const;
    /// The sync timer's health in plain words, lblHealth (empty until the first tick).
    QLabel* lblHealth() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildTopBar();
    QWidget* buildVoucherPanel();
    QWidget* buildStepOnePage();
    QWidget* buildTechControlPage();
    QWidget* buildMainCompanyPage();
    QWidget* buildSubCompanyPage();
    QWidget* buildLogFilePage();
    QWidget* buildTransfersPage();
    QWidget* buildLowerTabs();
    QWidget* buildNoticeStrip();
    QWidget* buildStatusLines();
    void buildLogin(QWidget* over);
    void fillFixedEntries();
    void nameUncaptionedControls();
    void fitLoginToWindow();
    void addToolTipsAndShortcuts();
    void pressFromShortcut(QAbstractButton* button);
    void countNotices();
    void orderTabs();
    bool belongsToThisWindow(QObject* object) const;

    QString m_programFolder;
    std::function<bool()> m_closeQuestion;

    QWidget* m_content = nullptr;
    QSplitter* m_verticalSplitter = nullptr;
    QSplitter* m_horizontalSplitter = nullptr;

    QFrame* m_fraLogin = nullptr;
    QComboBox* m_cboSourceCompany = nullptr;
    QComboBox* m_cboDestinationCompany = nullptr;
    QPushButton* m_cmdConnect = nullptr;
    ClickableLabel* m_lblConnect = nullptr;

    QFrame* m_voucherPanel = nullptr;
    QListWidget* m_lstSource = nullptr;
    QCheckBox* m_chkCheckAll = nullptr;
    QLineEdit* m_txtReduceTo = nullptr;
    QLabel* m_txttotVal = nullptr;
    ClickableLabel* m_txtSelVal = nullptr;
    QPushButton* m_cmdStartDatamigration = nullptr;
    QPushButton* m_cmdRefresh = nullptr;

    QTabWidget* m_mainPages = nullptr;
    QCheckBox* m_chkBulkInsert = nullptr;
    QListWidget* m_lstMasterSettings = nullptr;
    QPushButton* m_cmdFullSync = nullptr;
    QPushButton* m_cmdMasterSynchDetail = nullptr;
    QPushButton* m_cmdSettingsSynch = nullptr;
    QTableWidget* m_msgDataCount = nullptr;
    QPushButton* m_cmdUpdateDataBase = nullptr;

    QDateEdit* m_dtpdate = nullptr;
    QDateEdit* m_dtpto = nullptr;
    QComboBox* m_lstVchtypes = nullptr;
    QListWidget* m_lstCategories = nullptr;
    QListWidget* m_itemClassList = nullptr;
    QPushButton* m_cmdShowTransactions = nullptr;
    QLabel* m_lblserverStat = nullptr;

    QComboBox* m_cboVchtypeTotransform = nullptr;
    QComboBox* m_cboTaxMode = nullptr;
    QLineEdit* m_txtPRateDiscount = nullptr;
    QLineEdit* m_txtSRateDiscount = nullptr;
    QLineEdit* m_txtMRPDiscount = nullptr;
    QPlainTextEdit* m_txtLog = nullptr;

    QTabWidget* m_lowerPages = nullptr;
    QTableWidget* m_msgTransGrid = nullptr;
    QTableWidget* m_msgActivity = nullptr;
    QComboBox* m_cboCostCentre = nullptr;
    QTableWidget* m_msgMisMatch = nullptr;
    QTableWidget* m_msgTransfers = nullptr;
    QTableWidget* m_msgSetAside = nullptr;
    QLabel* m_lblTransfers = nullptr;
    QPushButton* m_cmdExportTransfers = nullptr;
    QPushButton* m_cmdPreviewTransform = nullptr;

    QTimer* m_timertrigger = nullptr;

    QLabel* m_lblSourceConnection = nullptr;
    QLabel* m_lblDestinationConnection = nullptr;
    QLabel* m_lblDaystart = nullptr;
    QLabel* m_lblDaystartTime = nullptr;
    QLabel* m_lblTimerStatus = nullptr;
    QLabel* m_lblStatusMain = nullptr;
    QLabel* m_lblStatus = nullptr;
    QLabel* m_lblHealth = nullptr;

    QPushButton* m_cmdNotices = nullptr;
    QPushButton* m_cmdLoginNotices = nullptr;
    QProgressBar* m_prgOperation = nullptr;
    QLabel* m_lblOperation = nullptr;
    QList<Notice> m_notices;
    QDialog* m_noticeDialog = nullptr;

    QFrame* m_fraNotice = nullptr;
    QLabel* m_lblNotice = nullptr;
    QString m_runningOperation;
    QString m_noticeOperation;
};

} // namespace app
