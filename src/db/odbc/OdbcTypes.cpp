#include "db/odbc/OdbcTypes.h"

#include "db/TypeCode.h"

#include "db/odbc/OdbcApi.h"

namespace db::odbc {

int typeCodeForSqlType(int sqlType, const QString& typeName)
{
    switch (sqlType) {
    case SQL_CHAR:
        return TypeCode::Char;
    case SQL_VARCHAR:
        return TypeCode::VarChar;
    case SQL_LONGVARCHAR:
        return TypeCode::LongVarChar;
    case SQL_WCHAR:
        return TypeCode::WChar;
    case SQL_WVARCHAR:
        return TypeCode::VarWChar;
    case SQL_WLONGVARCHAR:
        return TypeCode::LongVarWChar;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_DATETIME: // also SQL_DATE of ODBC 2
    case SQL_TIMESTAMP:
        return TypeCode::DBTimeStamp;
    case SQL_BIT:
        return TypeCode::Boolean;
    case SQL_INTEGER:
        return TypeCode::Integer;
    case SQL_SMALLINT:
        return TypeCode::SmallInt;
    case SQL_TINYINT:
        return TypeCode::TinyInt;
    case SQL_BIGINT:
        return TypeCode::BigInt;
    case SQL_REAL:
        return TypeCode::Single;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return TypeCode::Double;
    case SQL_NUMERIC:
    case SQL_DECIMAL: {
        const QString name = typeName.trimmed().toLower();
        if (name == QLatin1String("money") || name == QLatin1String("smallmoney"))
            return TypeCode::Currency;
        return TypeCode::Numeric;
    }
    case SQL_BINARY:
        return TypeCode::Binary;
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return TypeCode::VarBinary;
    case SQL_GUID:
        return TypeCode::Guid;
    default:
        return TypeCode::VarWChar;
    }
}

QString normalisedDecimalText(const QString& text)
{
    QString value = text.trimmed();
    if (value.startsWith(QLatin1Char('.')))
        value.prepend(QLatin1Char('0'));
    else if (value.startsWith(QLatin1String("-.")))
        value.insert(1, QLatin1Char('0'));
    return value;
}

} // namespace db::odbc
