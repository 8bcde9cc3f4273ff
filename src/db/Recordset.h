#pragma once

#include "db/Field.h"

#include <QString>
#include <vector>

namespace db {

/// The whole result of a query as a backend delivers it: columns and row-major values.
struct ResultData {
    std::vector<Column> columns;
    std::vector<QVariant> values; ///< rowCount() * columns.size() values, row after row
    qsizetype rowCount() const { return columns.empty() ? 0 : qsizetype(values.size() / columns.size()); }
};

/// A static, read-only result set (client-side cursor): every row is fetched when it opens,
/// so the data do not change while it is walked and the row count is known.
class Recordset {
public:
    /// A closed recordset.
    Recordset() = default;
    /// An open recordset over `data`, positioned on the first row; `source` is the query text.
    Recordset(const QString& source, ResultData data);

    bool isOpen() const { return m_open; }
    /// 1 when open, 0 when closed.
    int state() const { return m_open ? 1 : 0; }
    /// Closes the recordset and frees its rows.
    void close();

    /// True when the position is past the last row (at once for an empty result). Throws DbError when closed.
    bool eof() const;
    /// True when the position is before the first row or the result is empty.
    bool bof() const;
    /// Moves to the next row; throws DbError at the end or when closed.
    void moveNext();
    /// Moves to the first row.
    void moveFirst();
    /// Number of rows of the result. Throws DbError when closed.
    qsizetype recordCount() const;
    /// Index of the current row (0-based).
    qsizetype position() const { return m_row; }

    /// The query text the recordset was opened with.
    const QString& source() const { return m_source; }
    /// Number of columns. Throws DbError when closed.
    int fieldCount() const;
    /// The columns of the result.
    const std::vector<Column>& columns() const { return m_data.columns; }
    /// Field of the current row by 0-based position; throws DbError when out of range, closed or at EOF.
    Field field(int index) const;
    /// Field of the current row by name (case-insensitive); throws DbError when there is no such column.
    Field field(const QString& name) const;
    /// Index of the named column (case-insensitive), -1 when absent.
    int indexOf(const QString& name) const;

    /// The rows from the current one to the end as text: fields joined by `columnDelimiter`,
    /// each row followed by `rowDelimiter`, NULLs written as `nullText`. Leaves the position at EOF.
    QString getString(const QString& columnDelimiter = QStringLiteral("\t"),
                      const QString& rowDelimiter = QStringLiteral("\r"),
                      const QString& nullText = QString());

private:
    void requireOpen() const;
    void requireRow() const;

    QString m_source;
    ResultData m_data;
    qsizetype m_row = 0;
    bool m_open = false;
};

} // namespace db
