#pragma once

#include "report/Reporter.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <QList>
#include <QTimer>

#include <functional>

class QLabel;
class QProgressBar;
class QSystemTrayIcon;

namespace report {
class DailyLog;
class Notifier;
class Prompter;
} // namespace report

namespace app {

class MainWindow;

/// Reports to the main window: status lines, the daily log, and notifications through the
/// notifier program, the tray balloon, or (where there is no tray) the window's notice strip.
class QtReporter : public report::Reporter {
public:
    QtReporter(MainWindow& window, report::DailyLog& log, const report::Notifier& notifier, report::Prompter& prompter);
    ~QtReporter() override;

    void status(const QString& text) override;
    void progress(const QString& text) override;
    void log(const QString& tag, const QString& text) override;
    void processEvents() override;
    void progressRange(const QString& name, qint64 done, qint64 total) override;

    /// Adds the program's icon to the notification area (tip "ERP Mirtane"), where there is one.
    void addTrayIcon();
    /// Removes the icon from the notification area.
    void removeTrayIcon();
    /// The tray icon, or null where the desktop has none.
    QSystemTrayIcon* trayIcon() const { return m_tray; }
    /// The tray tip: "ERP Mirtane", then the last sync time (`lastSync`, the text of lblTimerStatus),
    /// whether the sync timer runs, and the sync health (`health`, the text of lblHealth), one part a line.
    static QString trayTip(const QString& lastSync, bool timerRunning, const QString& health = QString());

protected:
    void showBalloon(const QString& text) override;
    /// As showBalloon, but a notifier program that fails to start is noted in the notices and the
    /// log instead of in a message box: nobody may be at the machine.
    void showUnattendedBalloon(const QString& text) override;

private:
    MainWindow& m_window;
    report::DailyLog& m_log;
    const report::Notifier& m_notifier;
    report::Prompter& m_prompter;
    QSystemTrayIcon* m_tray = nullptr;
    QElapsedTimer m_sinceEvents;
    // Long work in progress, outermost first; the bar shows the innermost.
    struct Range {
        QString name;
        qint64 done = 0;
        qint64 total = 0;
    };
    QList<Range> m_ranges;
    QTimer m_tipRefresh;

    void refreshTrayTip();
    enum class Watched { Yes, No };
    void show(const QString& text, Watched watched);
};

} // namespace app
