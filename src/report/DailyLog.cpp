#include "report/DailyLog.h"

#include "text/DateText.h"
#include "report/TextFile.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace report {

DailyLog::DailyLog(QString programFolder, Clock clock, FileDate fileDate, Notice notice)
    : m_programFolder(std::move(programFolder))
    , m_clock(std::move(clock))
    , m_fileDate(std::move(fileDate))
    , m_notice(std::move(notice))
{
    if (!m_clock)
        m_clock = [] { return QDateTime::currentDateTime(); };
    if (!m_fileDate)
        m_fileDate = [this] { return m_clock().date(); };
}

DailyLog::~DailyLog() = default;

QString DailyLog::folderFor(const QString& programFolder, const QString& companyCode, const QDate& today)
{
    // A "/" in the company code would otherwise reach outside the program folder.
    QString prefix = companyCode.left(5);
    prefix.replace(QLatin1Char('/'), QLatin1Char('_'));
#ifdef Q_OS_WIN
    // On Windows a backslash separates folders too, and "C:" names a drive.
    prefix.replace(QLatin1Char('\\'), QLatin1Char('_'));
    prefix.replace(QLatin1Char(':'), QLatin1Char('_'));
#endif
    return programFolder + QLatin1Char('/') + prefix + QLatin1Char(' ') + text::DateText::monthAbbreviation(today)
        + QLatin1Char(' ') + QStringLiteral("%1").arg(today.year(), 4, 10, QLatin1Char('0'));
}

QString DailyLog::fileFor(const QString& folder, const QDate& date)
{
    return folder + QLatin1Char('/') + text::DateText::logFileStem(date) + QStringLiteral(".txt");
}

QString DailyLog::entry(const QDateTime& now, const QString& tag, const QString& text)
{
    return QLatin1Char('[') + text::DateText::human(now) + QLatin1Char(']') + QLatin1Char('\t') + tag
        + QLatin1Char('\t') + text;
}

bool DailyLog::setCompany(const QString& destinationCompanyCode)
{
    m_file.close();
    m_folder = folderFor(m_programFolder, destinationCompanyCode, m_clock().date());
    if (!QDir().mkpath(m_folder)) {
        failed(QStringLiteral("The log folder %1 cannot be created; the program goes on without its log.")
                   .arg(m_folder));
        return false;
    }
    return true;
}

QString DailyLog::folder() const
{
    return m_folder;
}

QString DailyLog::currentFile() const
{
    if (m_folder.isEmpty())
        return QString();
    return fileFor(m_folder, m_fileDate());
}

bool DailyLog::write(const QString& tag, const QString& text)
{
    const QString path = currentFile();
    if (path.isEmpty())
        return false;
    // The file stays open between entries; it is reopened when the date picker names another
    // day, or when the file was deleted or moved away meanwhile (its entries would be lost).
    if (!m_file.isOpen() || m_file.fileName() != path || !stillSameFile()) {
        if (!openFor(path))
            return false;
    }
    const QByteArray block = TextFile::logBlock(entry(m_clock(), tag, text));
    if (m_file.write(block) != block.size() || !m_file.flush()) {
        const QString error = m_file.errorString();
        m_file.close();
        failed(QStringLiteral("The log file %1 cannot be written (%2); the program goes on without its log.")
                   .arg(path, error));
        return false;
    }
    m_told = false;
    return true;
}

bool DailyLog::openFor(const QString& path)
{
    m_file.close();
    m_file.setFileName(path);
    // The folder may have been removed while the program runs.
    QDir().mkpath(m_folder);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        failed(QStringLiteral("The log file %1 cannot be written (%2); the program goes on without its log.")
                   .arg(path, m_file.errorString()));
        return false;
    }
    return true;
}

bool DailyLog::stillSameFile() const
{
#ifndef Q_OS_UNIX
    // Windows does not let an open file be deleted or replaced, so existing is enough there.
    return QFileInfo::exists(m_file.fileName());
#else
    // Two stat calls per entry: far cheaper than opening the file for every entry.
    struct stat onDisk {};
    struct stat open {};
    if (::stat(QFile::encodeName(m_file.fileName()).constData(), &onDisk) != 0)
        return false;
    if (::fstat(m_file.handle(), &open) != 0)
        return false;
    return onDisk.st_ino == open.st_ino && onDisk.st_dev == open.st_dev;
#endif
}

void DailyLog::failed(const QString& message)
{
    // One notice per run of failures: an unwritable log must not flood the operator.
    if (m_told)
        return;
    m_told = true;
    if (m_notice)
        m_notice(message);
}

} // namespace report
