#include "app/QtReporter.h"

#include "app/MainWindow.h"
#include "report/DailyLog.h"
#include "report/Notifier.h"
#include "report/Prompter.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QSystemTrayIcon>
#include <QTimer>

#include <limits>

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
    m_tipRefresh.setInterval(1000);
    QObject::connect(&m_tipRefresh, &QTimer::timeout, &m_window, [this] { refreshTrayTip(); });
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

void QtReporter::progressRange(const QString& name, qint64 done, qint64 total)
{
    // Work that reports in the middle of other work (a table's rows during a master
    // synchronisation) takes the bar over until it is done, then gives it back.
    qsizetype at = m_ranges.size() - 1;
    while (at >= 0 && m_ranges[at].name != name)
        --at;
    if (total <= 0 || done >= total) {
        if (at >= 0)
            m_ranges.remove(at, m_ranges.size() - at);
    } else if (at >= 0) {
        m_ranges[at].done = done;
        m_ranges[at].total = total;
    } else {
        m_ranges.append({name, done, total});
    }

    QProgressBar* bar = m_window.prgOperation();
    QLabel* label = m_window.lblOperation();
    if (m_ranges.isEmpty()) {
        bar->hide();
        label->hide();
        bar->reset();
        label->clear();
    } else {
        const Range& shown = m_ranges.constLast();
        // QProgressBar counts in int; very large totals are shown in proportion.
        const qint64 scale = shown.total > std::numeric_limits<int>::max() ? shown.total / std::numeric_limits<int>::max() + 1 : 1;
        bar->setRange(0, int(shown.total / scale));
        bar->setValue(int(shown.done / scale));
        label->setText(shown.name);
        bar->show();
        label->show();
    }
    processEvents();
}

void QtReporter::addTrayIcon()
{
    if (m_tray || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_tray = new QSystemTrayIcon(m_window.windowIcon(), &m_window);
    refreshTrayTip();
    m_tray->show();
    // The timer is started and stopped from many places; a look every second keeps the tip true.
    m_tipRefresh.start();
}

void QtReporter::removeTrayIcon()
{
    m_tipRefresh.stop();
    if (!m_tray)
        return;
    m_tray->hide();
    delete m_tray;
    m_tray = nullptr;
}

QString QtReporter::trayTip(const QString& lastSync, bool timerRunning, const QString& health)
{
    QString tip = QStringLiteral("ERP Mirtane");
    const QString sync = lastSync.trimmed();
    // lblTimerStatus shows "." until the first connect.
    if (!sync.isEmpty() && sync != QStringLiteral("."))
        tip += QStringLiteral("\nLast sync: ") + sync;
    tip += timerRunning ? QStringLiteral("\nSync timer running") : QStringLiteral("\nSync timer stopped");
    if (!health.trimmed().isEmpty())
        tip += QLatin1Char('\n') + QString(health).replace(QStringLiteral("; "), QStringLiteral("\n"));
    return tip;
}

void QtReporter::refreshTrayTip()
{
    if (!m_tray)
        return;
    const QString tip = trayTip(m_window.lblTimerStatus()->text(), m_window.timertrigger()->isActive(), m_window.lblHealth()->text());
    if (m_tray->toolTip() != tip)
        m_tray->setToolTip(tip);
}

void QtReporter::showBalloon(const QString& text)
{
    show(text, Watched::Yes);
}

void QtReporter::showUnattendedBalloon(const QString& text)
{
    show(text, Watched::No);
}

void QtReporter::show(const QString& text, Watched watched)
{
    // Whatever shows it, the history keeps it for an operator who was away.
    m_window.addNotice(text);
    try {
        if (m_notifier.notify(text))
            return;
    } catch (const std::exception& e) {
        const QString error = QString::fromStdString(e.what());
        if (watched == Watched::No) {
            m_window.addNotice(error);
            m_log.write(QStringLiteral("Notice"), error);
        } else {
            m_prompter.tell(report::PromptIcon::Warning, error);
        }
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
