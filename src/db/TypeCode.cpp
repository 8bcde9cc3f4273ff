#include "db/TypeCode.h"

#include <QHash>

namespace db {

int typeCodeForTypeName(const QString& typeName)
{
    static const QHash<QString, int> codes = {
        {QStringLiteral("char"), TypeCode::Char},
        {QStringLiteral("character"), TypeCode::Char},
        {QStringLiteral("varchar"), TypeCode::VarChar},
        {QStringLiteral("nchar"), TypeCode::WChar},
        {QStringLiteral("nvarchar"), TypeCode::VarWChar},
        {QStringLiteral("text"), TypeCode::LongVarChar},
        {QStringLiteral("ntext"), TypeCode::LongVarWChar},
        {QStringLiteral("datetime"), TypeCode::DBTimeStamp},
        {QStringLiteral("datetime2"), TypeCode::DBTimeStamp},
        {QStringLiteral("smalldatetime"), TypeCode::DBTimeStamp},
        {QStringLiteral("date"), TypeCode::DBTimeStamp},
        {QStringLiteral("bit"), TypeCode::Boolean},
        {QStringLiteral("int"), TypeCode::Integer},
        {QStringLiteral("integer"), TypeCode::Integer},
        {QStringLiteral("smallint"), TypeCode::SmallInt},
        {QStringLiteral("tinyint"), TypeCode::TinyInt},
        {QStringLiteral("bigint"), TypeCode::BigInt},
        {QStringLiteral("real"), TypeCode::Single},
        {QStringLiteral("float"), TypeCode::Double},
        {QStringLiteral("double"), TypeCode::Double},
        {QStringLiteral("numeric"), TypeCode::Numeric},
        {QStringLiteral("decimal"), TypeCode::Numeric},
        {QStringLiteral("money"), TypeCode::Currency},
        {QStringLiteral("smallmoney"), TypeCode::Currency},
        {QStringLiteral("binary"), TypeCode::Binary},
        {QStringLiteral("varbinary"), TypeCode::VarBinary},
        {QStringLiteral("image"), TypeCode::VarBinary},
        {QStringLiteral("uniqueidentifier"), TypeCode::Guid},
    };
    QString base = typeName.trimmed().toLower();
    const qsizetype paren = base.indexOf(QLatin1Char('('));
    if (paren >= 0)
        base = base.left(paren).trimmed();
    // "double precision", "character varying" and the like: the first word decides.
    const qsizetype blank = base.indexOf(QLatin1Char(' '));
    if (blank >= 0) {
        if (base.startsWith(QLatin1String("character varying")))
            return TypeCode::VarChar;
        base = base.left(blank);
    }
    return codes.value(base, 0);
}

bool isTextType(int typeCode)
{
    switch (typeCode) {
    case TypeCode::Char:
    case TypeCode::VarChar:
    case TypeCode::WChar:
    case TypeCode::VarWChar:
    case TypeCode::LongVarChar:
    case TypeCode::LongVarWChar:
        return true;
    default:
        return false;
    }
}

bool isUnicodeTextType(int typeCode)
{
    return typeCode == TypeCode::WChar || typeCode == TypeCode::VarWChar || typeCode == TypeCode::LongVarWChar;
}

bool isNumberType(int typeCode)
{
    switch (typeCode) {
    case TypeCode::SmallInt:
    case TypeCode::Integer:
    case TypeCode::Single:
    case TypeCode::Double:
    case TypeCode::Currency:
    case TypeCode::TinyInt:
    case TypeCode::BigInt:
    case TypeCode::Numeric:
        return true;
    default:
        return false;
    }
}

} // namespace db
