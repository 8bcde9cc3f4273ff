#pragma once

#include <QMap>
#include <QString>

namespace db {

/// What an OLE DB style connection text ("Provider=SQLOLEDB.1;Password=...;User ID=sa;
/// Initial Catalog=X;Data Source=Y") says.
struct ConnectionInfo {
    QString provider;
    QString dataSource;
    QString catalog;
    QString user;
    QString password;
    /// Every key (lower case, blanks folded) with its value.
    QMap<QString, QString> attributes;

    /// True when the data source names an embedded server ("embedded:NAME" or "embedded:/path").
    bool isEmbedded() const;
};

/// Parsing of OLE DB style connection texts.
namespace ConnectionText {

/// Splits `text` at ";" into key=value pairs: keys are case-insensitive and trimmed, values are
/// trimmed and may be quoted with " or ' (the quote doubled inside), so a quoted value may hold ";".
/// Throws DbError for a pair without "=", an empty key or an unterminated quote.
ConnectionInfo parse(const QString& text);

/// Quotes a value for an OLE DB connection text when it needs it (";", quotes, leading or trailing blanks).
QString quoteValue(const QString& value);

/// True when a data source names an embedded server ("embedded:NAME" or "embedded:/path").
bool isEmbeddedSource(const QString& dataSource);
/// The NAME or /path of an embedded data source, trimmed; any other data source only trimmed.
QString embeddedServer(const QString& dataSource);

} // namespace ConnectionText
} // namespace db
