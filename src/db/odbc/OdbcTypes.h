#pragma once

#include <QString>

namespace db::odbc {

/// The OLE DB type code of a result column from its ODBC SQL type and the driver's type name
/// (SQL_DESC_TYPE_NAME): money and smallmoney are 6 although drivers report them as decimal.
/// Types without an OLE DB counterpart here (time, xml, sql_variant, ...) are read as text (202).
int typeCodeForSqlType(int sqlType, const QString& typeName);

/// Decimal text as Field documents it: drivers that write ".5" or "-.5" get their leading zero back.
QString normalisedDecimalText(const QString& text);

} // namespace db::odbc
