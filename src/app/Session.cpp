#include "app/Session.h"

#include "app/BusyCursor.h"
#include "app/ClickableLabel.h"
#include "app/MainWindow.h"
#include "app/MastersController.h"
#include "app/ReconcileController.h"
#include "app/TimerController.h"
#include "app/TransformController.h"
#include "connection/Connect.h"
#include "text/DateText.h"
#include "report/TextFile.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCursor>

namespace app {


Session::Session(MainWindow& window, Options options)
    : m_window(window)
    , m_options(std::move(options))
    , m_programFolder(window.programFolder())
    , m_files(m_programFolder)
    , m_ownPrompter(m_options.prompter ? nullptr : std::make_unique<QtPrompter>(&window))
    , m_prompter(m_options.prompter ? m_options.prompter : m_ownPrompter.get())
    , m_notifier(m_programFolder)
    , m_log(m_programFolder, m_options.clock, [&window] { return window.dtpdate()->date(); },
            [this](const QString& text) { m_reporter.balloon(text); })
    , m_reporter(window, m_log, m_notifier, *m_prompter)
    , m_connections(db::ConnectionContext{m_programFolder, 15, db::Encryption::Optional, m_options.roundTrips})
    , m_startup(m_connections.context())
{
    m_files.folderNote = m_options.programFolderNote;
    wire();
    m_masters = std::make_unique<MastersController>(*this, window);
    m_transform = std::make_unique<TransformController>(*this, window, [this] { return m_masters->fillDataCount(); });
    m_reconcile = std::make_unique<ReconcileController>(*this, window);
    m_timer = std::make_unique<TimerController>(
        *this, window, [this] { return m_transform->cycleTransformation(); }, m_options.connectivity);
}

Session::~Session() = default;

Session::OperationScope::OperationScope(Session& session, const QString& name)
    : m_session(session)
{
    if (!m_session.m_runningOperation.isEmpty())
        return;
    m_session.m_runningOperation = name.isEmpty() ? QStringLiteral("operation") : name;
    m_acquired = true;
    m_noticesAtStart = m_session.m_window.notices().size() + m_session.m_unattended.notified();
    m_session.m_window.setRunningOperation(m_session.m_runningOperation);
}

void Session::tellBusy(const QString& refused)
{
    m_prompter->tell(report::PromptIcon::Information, QStringLiteral("\"%1\" is still running. Please start \"%2\" again when it has finished.")
                                                          .arg(m_runningOperation, refused));
}

Session::OperationScope::~OperationScope()
{
    if (!m_acquired)
        return;
    m_session.m_window.setRunningOperation(QString());
    // A repeated message that unattended work kept quiet still means the run did not succeed.
    if (m_session.m_window.notices().size() + m_session.m_unattended.notified() == m_noticesAtStart)
        m_session.m_window.operationSucceeded(m_session.m_runningOperation);
    m_session.m_runningOperation.clear();
}

void Session::wire()
{
    connect(m_window.cmdConnect(), &QPushButton::clicked, this, &Session::connectCompanies);
    connect(m_window.lblConnect(), &ClickableLabel::clicked, this, &Session::connectCompanies);
    connect(m_window.cmdRefresh(), &QPushButton::clicked, this, &Session::reconnect);
    m_window.setCloseQuestion([this] { return askExit(); });
    connect(m_window.mainPages(), &QTabWidget::currentChanged, this, &Session::mainPageShown);
}

void Session::mainPageShown(int page)
{
    if (page != MainWindow::StepOnePage && page != MainWindow::SubCompanyPage && page != MainWindow::LogFilePage)
        return;
    BusyCursor busy;
    try {
        if (page == MainWindow::StepOnePage)
            m_masters->fillDataCount();
        else if (page == MainWindow::SubCompanyPage)
            m_transform->filters().narrowDestinationVchTypes();
        else
            showDailyLog();
    } catch (const std::exception& e) {
        m_reporter.balloon(QString::fromStdString(e.what()));
    }
}

void Session::showDailyLog()
{
    QPlainTextEdit* log = m_window.txtLog();
    const QString file = m_log.currentFile();
    try {
        log->setPlainText(report::TextFile::read(file));
    } catch (const report::FileError& e) {
        // No entry yet today shows an empty page; a file the program may not read says so.
        log->setPlainText(QFileInfo::exists(file) ? e.message() : QString());
    }
    // The newest entries are the ones the operator came for.
    log->moveCursor(QTextCursor::End);
    log->moveCursor(QTextCursor::StartOfBlock);
    log->ensureCursorVisible();
}

void Session::endProgram()
{
    m_reporter.removeTrayIcon();
    if (m_options.endProgram)
        m_options.endProgram();
    else
        QCoreApplication::exit(0);
}

bool Session::startUp()
{
    m_reporter.addTrayIcon();
    m_window.mainPages()->setTabEnabled(MainWindow::TechControlPage, false);
    m_window.cmdConnect()->hide();
    connection::StartUpResult result;
    {
        BusyCursor busy;
        connection::StartUp startUp(m_files, m_reporter, *m_prompter);
        result = startUp.run(m_startup);
    }
    if (result.endProgram)
        return false;
    m_settings = result.settings;
    m_maxActivityId = result.maxActivityId;
    m_window.cboDestinationCompany()->clear();
    m_window.cboDestinationCompany()->addItems(result.destinationCompanies);
    m_window.cboSourceCompany()->clear();
    m_window.cboSourceCompany()->addItems(result.sourceCompanies);
    m_window.cboDestinationCompany()->setCurrentText(result.lastDestinationCompany);
    m_window.cboSourceCompany()->setCurrentText(result.lastSourceCompany);
    m_window.cmdConnect()->show();
    m_window.showLogin();
    return true;
}

void Session::connectCompanies()
{
    // Connect closes and reopens the connections the running operation works on.
    OperationScope scope(*this, QStringLiteral("Connect"));
    if (!scope.acquired()) {
        tellBusy(QStringLiteral("Connect"));
        return;
    }
    m_window.cmdConnect()->setEnabled(false);
    BusyCursor busy;
    const QString destinationCode = m_window.cboDestinationCompany()->currentText();
    const QString sourceCode = m_window.cboSourceCompany()->currentText();
    connection::Connect connect(m_connections, m_files, m_reporter, *m_prompter, m_options.clock);
    const connection::ConnectResult result = connect.run(m_settings, destinationCode, sourceCode);
    if (result.outcome == connection::ConnectResult::Outcome::Refused) {
        m_window.cmdConnect()->setEnabled(true);
        return;
    }
    m_settings = result.settings;
    if (result.endRequested)
        endProgram();
    m_window.lblTimerStatus()->setText(text::DateText::human(m_options.clock()));
    m_window.dtpdate()->setDate(result.serverDate);
    m_window.dtpto()->setDate(result.serverDate);

    m_transform->fillFilters();
    m_window.mainPages()->setCurrentIndex(MainWindow::StepOnePage);
    m_reporter.status(QStringLiteral("Voucher types Loaded"));

    m_reporter.status(QStringLiteral("day start setting"));
    if (m_log.setCompany(destinationCode))
        m_log.write(QStringLiteral("Connect"), QStringLiteral("Connection Established from ") + sourceCode + QStringLiteral(" to ") + destinationCode);

    m_window.dtpdate()->setVisible(true);
    m_window.dtpto()->setVisible(true);
    m_window.lowerPages()->setVisible(true);
    m_reporter.status(QStringLiteral("Conection .Done.... "));
    m_window.cmdConnect()->setEnabled(true);
    m_window.mainPages()->setCurrentIndex(MainWindow::MainCompanyPage);
    m_window.lowerPages()->setCurrentIndex(MainWindow::VoucherDetPage);
    m_window.hideLogin();
    m_window.lblSourceConnection()->setText(QStringLiteral("Source : ") + m_settings.syncServerName + QStringLiteral("  ") + sourceCode);
    m_window.lblDestinationConnection()->setText(QStringLiteral("Destination : ") + m_settings.serverName + QStringLiteral("  ")
                                                 + destinationCode);
    // What belongs to the companies connected before is forgotten or read again.
    m_transform->companiesConnected();
    m_reconcile->companiesConnected();
    m_timer->companiesConnected();
}

void Session::reconnect()
{
    // The login panel would let Connect close the connections under the running operation.
    if (!m_runningOperation.isEmpty()) {
        tellBusy(QStringLiteral("Reconnect"));
        return;
    }
    m_window.showLogin();
}

bool Session::askExit()
{
    const QString text = QStringList{QStringLiteral("Do you Want to Exit Tarvik ERP Mirtane"), QStringLiteral(" "),
                                     QStringLiteral("Click [Yes] to exit "), QStringLiteral(" "),
                                     QStringLiteral("[Cancel] to change login "), QStringLiteral(" "),
                                     QStringLiteral("[No] to stay with the application")}
                             .join(QStringLiteral("\r\n"));
    const report::PromptAnswer answer = m_prompter->ask(report::Prompt{report::PromptIcon::Question, QStringLiteral("Tarvik Mirtane "),
                                                                       text, report::PromptButtons::YesNoCancel, report::PromptAnswer::No});
    if (answer == report::PromptAnswer::Yes) {
        m_reporter.removeTrayIcon();
        return true;
    }
    if (answer == report::PromptAnswer::Cancel)
        reconnect();
    return false;
}

} // namespace app
