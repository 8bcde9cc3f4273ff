#pragma once

#include <QString>

namespace db {

/// OLE DB data type codes, the codes that field types are reported in.
namespace TypeCode {
constexpr int Empty = 0;
constexpr int SmallInt = 2;
constexpr int Integer = 3;
constexpr int Single = 4;
constexpr int Double = 5;
constexpr int Currency = 6;
constexpr int Boolean = 11;
constexpr int TinyInt = 17;
constexpr int BigInt = 20;
constexpr int Guid = 72;
constexpr int Binary = 128;
constexpr int Char = 129;
constexpr int WChar = 130;
constexpr int Numeric = 131;
constexpr int DBTimeStamp = 135;
constexpr int VarChar = 200;
constexpr int LongVarChar = 201;
constexpr int VarWChar = 202;
constexpr int LongVarWChar = 203;
constexpr int VarBinary = 204;
} // namespace TypeCode

/// Type code for a SQL Server type name such as "nvarchar(50)", "numeric(18,2)" or "datetime";
/// 0 when the name is not a SQL Server type.
int typeCodeForTypeName(const QString& typeName);

/// True for the codes whose values are text of some kind (char, varchar, nchar, nvarchar, text, ntext).
bool isTextType(int typeCode);
/// True for the Unicode text codes (nchar, nvarchar, ntext).
bool isUnicodeTextType(int typeCode);
/// True for the exact and approximate number codes, bit excluded.
bool isNumberType(int typeCode);

} // namespace db
