#include "app/QtReporter.h"

#include "app/MainWindow.h"
#include "report/DailyLog.h"
#include "report/Notifier.h"
#include "report/Prompter.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace app {

namespace {
// Balloon texts are cut where the notification area would cut them.
constexpr int balloonLimit = 255;

QIcon programIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1f, 0x5f, 0x9f));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("M"));
    return QIcon(pixmap);
}
} // namespace

QtReporter::QtReporter(MainWindow& window, report::DailyLog& log, const report::Notifier& notifier, report::Prompter& prompter)
    : m_window(window)
    , m_log(log)
    , m_notifier(notifier)
    , m_prompter(prompter)
{
    if (m_window.windowIcon().isNull())
        m_window.setWindowIcon(programIcon());
}

QtReporter::~QtReporter()
{
    removeTrayIcon();
}

void QtReporter::status(const QString& text)
{
    m_window.lblStatusMain()->setText(text);
    processEvents();
}

void QtReporter::progress(const QString& text)
{
    m_window.lblStatus()->setText(text);
    processEvents();
}

void QtReporter::log(const QString& tag, const QString& text)
{
    m_log.write(tag, text);
}

void QtReporter::processEvents()
{
    // Long operations call this for every row; handling events some sixty times a second keeps
    // the window as responsive as every row would, at a fraction of the cost.
    constexpr qint64 intervalMs = 15;
    if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < intervalMs)
        return;
    QCoreApplication::processEvents();
    m_sinceEvents.start();
}

void QtReporter::progressRange(const QString&, qint64, qint64)
{
    // The progress bar beside the status lines comes with the operator's progress display.
    processEvents();
}

void QtReporter::addTrayIcon()
{
    if (m_tray || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_tray = new QSystemTrayIcon(m_window.windowIcon(), &m_window);
    m_tray->setToolTip(QStringLiteral("ERP Mirtane"));
    m_tray->show();
}

void QtReporter::removeTrayIcon()
{
    if (!m_tray)
        return;
    m_tray->hide();
    delete m_tray;
    m_tray = nullptr;
}

void QtReporter::showBalloon(const QString& text)
{
    QString error;
    const report::Notifier::Outcome outcome = m_notifier.notify(text, &error);
    if (outcome == report::Notifier::Outcome::Started)
        return;
    if (outcome == report::Notifier::Outcome::StartFailed) {
        m_prompter.tell(report::PromptIcon::Warning, error);
        return;
    }
    if (m_tray && QSystemTrayIcon::supportsMessages()) {
        m_tray->showMessage(QStringLiteral("Tarvik ERP Mirtane 3.6!"), text.left(balloonLimit), QSystemTrayIcon::Information);
    } else {
        // No notification area: the text stays visible in the window without stopping the
        // operation, and the log keeps it for later.
        m_window.showNotice(text);
        m_log.write(QStringLiteral("Notice"), text);
    }
}

} // namespace app
