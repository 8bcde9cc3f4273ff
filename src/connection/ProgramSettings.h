#pragma once

#include "db/Backend.h"

#include <QString>
#include <optional>

namespace connection {

/// The settings the program holds for its whole run.
struct ProgramSettings {
    /// SQL Server instance of the local side (the Sub Company).
    QString serverName;
    /// SQL Server instance of the online side (the Main Company); also the linked server's name.
    QString syncServerName;
    /// Password of the SQL login "sa".
    QString password = QStringLiteral("KESTREL264$");
    /// Catalog of the Sub Company database.
    QString destinationCompanyCode;
    /// Catalog of the Main Company database.
    QString sourceCompanyCode;
    /// Encryption of the SQL Server sessions: key ENCRYPT of Appsettings.ini.
    db::Encryption encryption = db::Encryption::Optional;
};

/// The ENCRYPT setting: "yes", "no" or "optional" in any letter case ("" is optional); nothing for
/// any other text.
std::optional<db::Encryption> encryptionFromSetting(const QString& value);

/// Connection texts of the program.
namespace ConnectionTexts {
/// The start-up connection to the company list catalog QRNStartup of `server`.
QString startup(const QString& password, const QString& server);
/// A company connection: catalog `companyCode` on `server`.
QString company(const QString& companyCode, const QString& server);
} // namespace ConnectionTexts

/// Checks a company code before it goes into a connection text or a statement:
/// returns "" when it can be a database name, else a message for the operator.
QString companyCodeProblem(const QString& code);

} // namespace connection
