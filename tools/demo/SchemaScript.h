#pragma once

#include <QString>
#include <QStringList>

namespace db {
class Connection;
}

namespace tools {

/// The T-SQL scripts that create the demo databases, kept as resources of this library.
class SchemaScript {
public:
    /// The start-up catalog QRNStartup (tblcompany).
    static QString startup();
    /// One company database: masters, settings, logs and transactions.
    static QString company();

    /// Splits a script into its batches at lines holding only GO (any letter case, blanks
    /// around); batches that hold nothing but blanks and "--" comments are dropped.
    static QStringList batches(const QString& script);
    /// Sends every batch of `script` on `connection`, in order. Throws db::DbError.
    static void run(db::Connection& connection, const QString& script);
};

} // namespace tools
