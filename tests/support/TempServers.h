#pragma once

#include "connection/ProgramSettings.h"
#include "db/Connection.h"
#include "db/embedded/EmbeddedServer.h"

#include <QDate>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <vector>

namespace support {

/// Embedded servers in a temporary program folder: the small demo (branch BR/SUB01, head office
/// HO/MAIN01) with open connections to both companies, or an empty folder to make servers in.
class TempServers {
public:
    /// Selects the constructor that leaves the program folder empty.
    struct EmptyFolder {};

    /// Builds the demo with `seed`, ending on `today` (an invalid date: the current date).
    explicit TempServers(std::uint32_t seed = 7, const QDate& today = {});
    /// An empty program folder: no demo, no server until `createServer`.
    explicit TempServers(EmptyFolder);

    /// The program folder: servers/ and Resources/ are below it.
    QString folder() const { return m_dir.path(); }
    /// The head office's main company (only with the demo).
    db::Connection& headOffice() { return *m_headOffice; }
    /// The branch's sub company (only with the demo).
    db::Connection& branch() { return *m_branch; }
    /// Adds the voucher mark columns (SyncStat, ServInvID) to the branch's sales and purchases, as
    /// Update Database does.
    void addVoucherMarks();

    /// The server of a data source ("embedded:BR") below the program folder.
    db::embedded::EmbeddedServer server(const QString& dataSource) const;
    /// Makes the server of `dataSource` and, through its master catalog, the given databases.
    void createServer(const QString& dataSource, const QStringList& catalogs = {});
    /// Opens a further connection on a catalog of a server ("embedded:BR"); throws DbError.
    std::unique_ptr<db::Connection> open(const QString& dataSource, const QString& catalog) const;
    /// The connection text the program uses for `catalog` on `dataSource`.
    static QString connectionText(const QString& dataSource, const QString& catalog);

    /// The settings that connect the program to the demo's companies (BR/SUB01 and HO/MAIN01).
    static connection::ProgramSettings demoSettings();

    /// The first field of the first row of `sql` (invalid when there is no row).
    static QVariant scalar(db::Connection& connection, const QString& sql);
    /// Every row of `sql` as text, fields joined by "|", rows by "\n", NULL as "NULL".
    static QString rows(db::Connection& connection, const QString& sql);
    /// Every field of every row of `sql` as a number, row by row.
    static std::vector<double> numbers(db::Connection& connection, const QString& sql);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<db::Connection> m_headOffice;
    std::unique_ptr<db::Connection> m_branch;
};

} // namespace support
