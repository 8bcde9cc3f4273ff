#include "db/Recordset.h"

#include "text/DateText.h"
#include "db/DbError.h"
#include "db/TypeCode.h"

#include <QDateTime>

namespace db {

namespace {
const QString closedText = QStringLiteral("Operation is not allowed when the object is closed.");
const QString noRowText = QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                         "Requested operation requires a current record.");
const QString noItemText = QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal.");
} // namespace

QString Field::text() const
{
    if (isNull())
        return QString();
    if (m_value.typeId() == QMetaType::QDateTime)
        return text::DateText::storedDateTime(m_value.toDateTime());
    if (m_value.typeId() == QMetaType::Bool)
        return m_value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (m_value.typeId() == QMetaType::Double)
        return QString::number(m_value.toDouble(), 'g', QLocale::FloatingPointShortest);
    if (m_value.typeId() == QMetaType::QByteArray && !isTextType(typeCode()))
        return QStringLiteral("0x") + QString::fromLatin1(m_value.toByteArray().toHex().toUpper());
    return m_value.toString();
}

Recordset::Recordset(const QString& source, ResultData data)
    : m_source(source)
    , m_data(std::move(data))
    , m_open(true)
{
}

void Recordset::close()
{
    m_open = false;
    m_data = ResultData();
    m_row = 0;
}

void Recordset::requireOpen() const
{
    if (!m_open)
        throw DbError(closedText, QStringLiteral("HY010"), 3704);
}

void Recordset::requireRow() const
{
    requireOpen();
    if (m_row >= m_data.rowCount())
        throw DbError(noRowText, QStringLiteral("24000"), 3021);
}

bool Recordset::eof() const
{
    requireOpen();
    return m_row >= m_data.rowCount();
}

bool Recordset::bof() const
{
    requireOpen();
    return m_data.rowCount() == 0;
}

void Recordset::moveNext()
{
    requireRow();
    ++m_row;
}

void Recordset::moveFirst()
{
    requireOpen();
    m_row = 0;
}

qsizetype Recordset::recordCount() const
{
    requireOpen();
    return m_data.rowCount();
}

int Recordset::fieldCount() const
{
    requireOpen();
    return int(m_data.columns.size());
}

int Recordset::indexOf(const QString& name) const
{
    for (size_t i = 0; i < m_data.columns.size(); ++i) {
        if (m_data.columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

Field Recordset::field(int index) const
{
    requireOpen();
    if (index < 0 || size_t(index) >= m_data.columns.size())
        throw DbError(noItemText, QStringLiteral("HY000"), 3265);
    requireRow();
    return Field(m_data.columns[size_t(index)], m_data.values[size_t(m_row) * m_data.columns.size() + size_t(index)]);
}

Field Recordset::field(const QString& name) const
{
    requireOpen();
    const int index = indexOf(name);
    if (index < 0)
        throw DbError(noItemText, QStringLiteral("HY000"), 3265);
    return field(index);
}

QString Recordset::getString(const QString& columnDelimiter, const QString& rowDelimiter, const QString& nullText)
{
    requireOpen();
    QString out;
    const int columns = fieldCount();
    for (; m_row < m_data.rowCount(); ++m_row) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                out += columnDelimiter;
            const Field f = field(c);
            out += f.isNull() ? nullText : f.text();
        }
        out += rowDelimiter;
    }
    return out;
}

} // namespace db
