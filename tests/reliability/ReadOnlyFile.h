#pragma once

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace reliability {

// A database file read with sqlite itself, read-only, beside whatever the program left in it.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& path)
    {
        const QByteArray uri = "file:" + QFile::encodeName(path) + "?mode=ro";
        if (sqlite3_open_v2(uri.constData(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "cannot open " << path.toStdString();
        sqlite3_busy_timeout(m_db, 2000);
    }
    ~ReadOnlyFile() { sqlite3_close(m_db); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Every row of `sql`, values joined by "|". With `typed`, each value is its storage class and
    // its bytes in hex, so that a number stored as text, a NUL or a leading U+FEFF shows.
    QStringList rows(const QString& sql, bool typed = false)
    {
        static const char* const types[] = {"", "integer", "real", "text", "blob", "null"};
        QStringList out;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(m_db);
            return out;
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList values;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const QByteArray bytes(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)), sqlite3_column_bytes(statement, c));
                values << (typed ? QString::fromLatin1(types[sqlite3_column_type(statement, c)]) + QLatin1Char(':') + QString::fromLatin1(bytes.toHex())
                                 : QString::fromUtf8(bytes));
            }
            out << values.join(QLatin1Char('|'));
        }
        sqlite3_finalize(statement);
        return out;
    }
    QStringList columns(const QString& table)
    {
        return rows(QStringLiteral("select name from pragma_table_info('%1') order by cid").arg(table));
    }

private:
    sqlite3* m_db = nullptr;
};

} // namespace reliability
