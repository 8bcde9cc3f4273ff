#pragma once

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <functional>

namespace report {

/// The daily log file: one folder per destination company and month, one file per day of the
/// From date picker, entries appended as log blocks. Never throws; a log that cannot be written
/// is reported to the operator once and the program goes on without it.
class DailyLog {
public:
    /// The current date and time (injected so that tests can cross midnight).
    using Clock = std::function<QDateTime()>;
    /// The date that names the daily file (the date of dtpdate).
    using FileDate = std::function<QDate()>;
    /// Tells the operator something without stopping the operation (a balloon).
    using Notice = std::function<void(const QString&)>;

    /// `programFolder` holds the log folders; `notice` hears once of a log that cannot be written.
    DailyLog(QString programFolder, Clock clock, FileDate fileDate, Notice notice);
    ~DailyLog();
    DailyLog(const DailyLog&) = delete;
    DailyLog& operator=(const DailyLog&) = delete;

    /// "<programFolder>/<first 5 characters of the company code> <Mon> <yyyy>".
    static QString folderFor(const QString& programFolder, const QString& companyCode, const QDate& today);
    /// "<folder>/<ddMMyyyy>.txt".
    static QString fileFor(const QString& folder, const QDate& date);
    /// "[<date and time>]" TAB tag TAB text.
    static QString entry(const QDateTime& now, const QString& tag, const QString& text);

    /// Sets the log folder for the destination company from today's date and creates it;
    /// false when it cannot be created (the operator is told once).
    bool setCompany(const QString& destinationCompanyCode);
    /// The log folder; "" until a company is set.
    QString folder() const;
    /// The daily file that entries go to now; "" until a company is set.
    QString currentFile() const;

    /// Appends one entry to the daily file; false when it could not be written (or no company is set).
    bool write(const QString& tag, const QString& text);

private:
    bool openFor(const QString& path);
    bool stillSameFile() const;
    void failed(const QString& message);

    QString m_programFolder;
    Clock m_clock;
    FileDate m_fileDate;
    Notice m_notice;
    QString m_folder;
    QFile m_file;
    bool m_told = false;
};

} // namespace report
