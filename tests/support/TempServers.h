#pragma once

#include "tools/demo/DemoOptions.h"

#include "db/Connection.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>
#include <vector>

namespace support {

/// A small demo (branch BR/SUB01, head office HO/MAIN01) built in a temporary program folder,
/// with open connections to both companies.
class TempServers {
public:
    /// Builds the demo with `seed`, ending on `today` (an invalid date: the current date).
    explicit TempServers(std::uint32_t seed = 7, const QDate& today = {});

    /// The program folder: servers/ and Resources/ are below it.
    QString folder() const { return m_dir.path(); }
    db::Connection& headOffice() { return *m_headOffice; }
    db::Connection& branch() { return *m_branch; }
    /// Adds the voucher mark columns (SyncStat, ServInvID) to the branch's sales and purchases, as
    /// Update Database does.
    void addVoucherMarks();
    /// Opens a further connection on a catalog of the branch ("embedded:BR") or head office.
    std::unique_ptr<db::Connection> open(const QString& dataSource, const QString& catalog) const;

    /// The first field of the first row of `sql` (invalid when there is no row).
    static QVariant scalar(db::Connection& connection, const QString& sql);
    /// Every row of `sql` as text, fields joined by "|", rows by "\n".
    static QString rows(db::Connection& connection, const QString& sql);
    /// Every field of every row of `sql` as a number, row by row.
    static std::vector<double> numbers(db::Connection& connection, const QString& sql);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<db::Connection> m_headOffice;
    std::unique_ptr<db::Connection> m_branch;
};

} // namespace support
