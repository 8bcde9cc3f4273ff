#pragma once

#include "db/Backend.h"
#include "db/ConnectionText.h"

#include <QString>
#include <QStringList>

namespace db::odbc {

/// The SQL Server driver to use among the installed ODBC drivers: "ODBC Driver 18 for SQL Server",
/// else "ODBC Driver 17 for SQL Server", else "FreeTDS".
QString chooseSqlServerDriver(const QStringList& installedDrivers);

/// `value` as it may stand in an ODBC connection string: in braces, with "}" doubled, when it holds
/// ";", "{", "}", "=" or blanks at its ends, so that it can never add or change an attribute.
QString odbcQuoteValue(const QString& value);

/// The ODBC connection string for `info` through `driver`: Driver, Server (FreeTDS: Server and Port
/// from "host,port"), Database, UID, PWD, the encryption in the driver's own words (Microsoft's
/// drivers: Encrypt and TrustServerCertificate; FreeTDS: Encryption) and what the driver needs
/// besides (FreeTDS: TDS_Version=7.4 and ClientCharset=UTF-8).
QString odbcConnectionString(const ConnectionInfo& info, const QString& driver, Encryption encryption = Encryption::Optional);

} // namespace db::odbc
