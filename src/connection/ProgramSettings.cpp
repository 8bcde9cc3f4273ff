#include "connection/ProgramSettings.h"

#include "db/ConnectionText.h"

#include <QRegularExpression>

namespace connection {

namespace ConnectionTexts {

QString startup(const QString& password, const QString& server)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;password=") + db::ConnectionText::quoteValue(password)
        + QStringLiteral(";User ID=sa;Initial Catalog=QRNStartup;Data Source=") + db::ConnectionText::quoteValue(server);
}

QString company(const QString& companyCode, const QString& server)
{
    // The code has passed companyCodeProblem(); the server name is quoted only when it
    // holds a ";" or quotes, so ordinary names give the usual text.
    return QStringLiteral("Provider=SQLOLEDB.1;Password=KESTREL264$;Persist Security Info=True;User ID=sa;Initial Catalog=")
        + companyCode + QStringLiteral(";Data Source=") + db::ConnectionText::quoteValue(server);
}

} // namespace ConnectionTexts

std::optional<db::Encryption> encryptionFromSetting(const QString& value)
{
    const QString word = value.trimmed().toLower();
    if (word.isEmpty() || word == QLatin1String("optional"))
        return db::Encryption::Optional;
    if (word == QLatin1String("yes"))
        return db::Encryption::Yes;
    if (word == QLatin1String("no"))
        return db::Encryption::No;
    return std::nullopt;
}

QString companyCodeProblem(const QString& code)
{
    static const QRegularExpression allowed(QStringLiteral(R"(^[A-Za-z0-9_@#$][A-Za-z0-9_@#$.\- ]*$)"));
    if (code.trimmed().isEmpty())
        return QStringLiteral("Please choose a company code.");
    if (code.size() > 128)
        return QStringLiteral("The company code \"%1...\" is longer than a database name can be.").arg(code.left(20));
    if (!allowed.match(code).hasMatch() || code.endsWith(QLatin1Char(' ')))
        return QStringLiteral("The company code \"%1\" cannot be a database name: use letters, digits and _ @ # $ . - only.")
            .arg(code);
    return QString();
}

} // namespace connection
