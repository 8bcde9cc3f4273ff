#include "db/odbc/OdbcConnectionString.h"

namespace db::odbc {

namespace {
const QString driver18 = QStringLiteral("ODBC Driver 18 for SQL Server");
const QString driver17 = QStringLiteral("ODBC Driver 17 for SQL Server");
const QString freeTds = QStringLiteral("FreeTDS");
const QString windowsDriver = QStringLiteral("SQL Server");

void append(QString& text, const char* key, const QString& value)
{
    if (!text.isEmpty())
        text += QLatin1Char(';');
    text += QLatin1String(key) + QLatin1Char('=') + odbcQuoteValue(value);
}
} // namespace

DriverPlatform currentDriverPlatform()
{
#ifdef Q_OS_WIN
    return DriverPlatform::Windows;
#else
    return DriverPlatform::Unix;
#endif
}

QStringList sqlServerDriverCandidates(const QStringList& installedDrivers, DriverPlatform platform)
{
    QStringList preferred{driver18, driver17};
    // Windows' own driver is older than TLS 1.2 on some systems, but it is there on every PC.
    if (platform == DriverPlatform::Windows)
        preferred << windowsDriver;
    preferred << freeTds;
    QStringList candidates;
    for (const QString& driver : preferred) {
        if (installedDrivers.contains(driver, Qt::CaseInsensitive))
            candidates << driver;
    }
    return candidates;
}

QString installDriverMessage(DriverPlatform platform, const QString& detail)
{
    QString message = platform == DriverPlatform::Windows
        ? QStringLiteral("No ODBC driver for SQL Server could be used on this computer. Install Microsoft's \"ODBC Driver 18 for "
                         "SQL Server\" (x64) and connect again.")
        : QStringLiteral("No ODBC driver for SQL Server could be used on this computer. Install Microsoft's \"ODBC Driver 18 for "
                         "SQL Server\" (package msodbcsql18), or FreeTDS (package tdsodbc), and connect again.");
    if (!detail.trimmed().isEmpty())
        message += QLatin1Char('\n') + detail.trimmed();
    return message;
}

QString odbcQuoteValue(const QString& value)
{
    const bool needsBraces = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('{'))
        || value.contains(QLatin1Char('}')) || value.contains(QLatin1Char('=')) || value != value.trimmed();
    if (!needsBraces)
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + quoted + QLatin1Char('}');
}

QString odbcConnectionString(const ConnectionInfo& info, const QString& driver, Encryption encryption)
{
    const bool isFreeTds = driver.compare(freeTds, Qt::CaseInsensitive) == 0;
    QString text;
    append(text, "Driver", driver);
    QString server = info.dataSource.trimmed();
    QString port;
    if (isFreeTds) {
        // FreeTDS reads the port from its own attribute, not from "host,port".
        const qsizetype comma = server.lastIndexOf(QLatin1Char(','));
        if (comma >= 0) {
            port = server.mid(comma + 1).trimmed();
            server = server.left(comma).trimmed();
        }
    }
    append(text, "Server", server);
    if (!port.isEmpty())
        append(text, "Port", port);
    if (!info.catalog.isEmpty())
        append(text, "Database", info.catalog);
    if (!info.user.isEmpty()) {
        append(text, "UID", info.user);
        append(text, "PWD", info.password);
    }
    if (isFreeTds) {
        append(text, "TDS_Version", QStringLiteral("7.4"));
        append(text, "ClientCharset", QStringLiteral("UTF-8"));
        append(text, "Encryption",
               encryption == Encryption::Yes         ? QStringLiteral("require")
                   : encryption == Encryption::No    ? QStringLiteral("off")
                                                     : QStringLiteral("request"));
    } else if (encryption == Encryption::Yes) {
        append(text, "Encrypt", QStringLiteral("yes"));
    } else {
        // Driver 18 knows "Optional"; older drivers read "no" the same way: encrypted only when
        // the server insists. Either way an untrusted certificate does not end the login.
        const bool knowsOptional = driver.compare(driver18, Qt::CaseInsensitive) == 0;
        append(text, "Encrypt", encryption == Encryption::Optional && knowsOptional ? QStringLiteral("Optional") : QStringLiteral("no"));
        append(text, "TrustServerCertificate", QStringLiteral("yes"));
    }
    return text;
}

} // namespace db::odbc
