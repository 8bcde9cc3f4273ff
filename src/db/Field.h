#pragma once

#include <QString>
#include <QVariant>

namespace db {

/// One column of a result: its name as the query gave it and its OLE DB type code.
struct Column {
    QString name;
    int typeCode = 0;
};

/// A field of the current row of a recordset.
///
/// Values by type code: text kinds give QString; 135 gives QDateTime (server wall-clock time,
/// no zone, held as Qt::UTC); 11 gives bool; integer kinds give qlonglong; 4 and 5 give double;
/// 131 (numeric/decimal) and 6 (money) give the exact decimal text as QString ("12.50",
/// never passed through a double); binary kinds give QByteArray; 72 gives QString.
/// A NULL gives an invalid QVariant.
class Field {
public:
    Field() = default;
    Field(const Column& column, const QVariant& value) : m_column(column), m_value(value) {}

    const QString& name() const { return m_column.name; }
    int typeCode() const { return m_column.typeCode; }
    const QVariant& value() const { return m_value; }
    bool isNull() const { return !m_value.isValid() || m_value.isNull(); }
    /// The value as text ("" for NULL); dates as "yyyy-MM-dd HH:mm:ss", bits as "1"/"0".
    QString text() const;

private:
    Column m_column;
    QVariant m_value;
};

} // namespace db
