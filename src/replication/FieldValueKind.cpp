#include "replication/FieldValueKind.h"

#include "db/TypeCode.h"

namespace replication {

ValueKind fieldValueKind(int typeCode)
{
    switch (typeCode) {
    case db::TypeCode::Char:
    case db::TypeCode::VarChar:
    case db::TypeCode::LongVarChar:
        return ValueKind::Text;
    case db::TypeCode::WChar:
    case db::TypeCode::VarWChar:
    case db::TypeCode::LongVarWChar:
        return ValueKind::UnicodeText;
    case db::TypeCode::DBTimeStamp:
        return ValueKind::Date;
    case db::TypeCode::Numeric:
    case db::TypeCode::Currency:
        return ValueKind::ExactNumber;
    case db::TypeCode::Boolean:
        return ValueKind::Bit;
    case db::TypeCode::Binary:
    case db::TypeCode::VarBinary:
        return ValueKind::Binary;
    case db::TypeCode::Guid:
        return ValueKind::Guid;
    default:
        return ValueKind::Number;
    }
}

bool isNumericKind(ValueKind kind)
{
    return kind == ValueKind::Number || kind == ValueKind::ExactNumber;
}

} // namespace replication
