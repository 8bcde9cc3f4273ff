#pragma once

#include "db/Backend.h"
#include "db/ConnectionText.h"

#include <QString>
#include <QStringList>

namespace db::odbc {

/// The systems whose SQL Server drivers differ.
enum class DriverPlatform { Windows, Unix };

/// The system this program was built for.
DriverPlatform currentDriverPlatform();

/// The SQL Server drivers to try, best first, among the installed ODBC drivers: "ODBC Driver 18
/// for SQL Server", "ODBC Driver 17 for SQL Server", on Windows the "SQL Server" driver that comes
/// with it, and "FreeTDS"; each only when installed. Empty when none is.
QStringList sqlServerDriverCandidates(const QStringList& installedDrivers, DriverPlatform platform = currentDriverPlatform());

/// What the operator reads when no driver could reach SQL Server: which driver to install on
/// `platform`, followed by `detail` (the driver manager's last words) when there is one.
QString installDriverMessage(DriverPlatform platform, const QString& detail);

/// `value` as it may stand in an ODBC connection string: in braces, with "}" doubled, when it holds
/// ";", "{", "}", "=" or blanks at its ends, so that it can never add or change an attribute.
QString odbcQuoteValue(const QString& value);

/// The ODBC connection string for `info` through `driver`: Driver, Server (FreeTDS: Server and Port
/// from "host,port"), Database, UID, PWD, the encryption in the driver's own words (Microsoft's
/// drivers: Encrypt and TrustServerCertificate; FreeTDS: Encryption) and what the driver needs
/// besides (FreeTDS: TDS_Version=7.4 and ClientCharset=UTF-8).
QString odbcConnectionString(const ConnectionInfo& info, const QString& driver, Encryption encryption = Encryption::Optional);

} // namespace db::odbc
