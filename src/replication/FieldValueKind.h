#pragma once

namespace replication {

/// How the values of a column are written into an INSERT statement. The first three keep the
/// numbers operators know from the copy log (0 text, 1 number, 3 date).
enum class ValueKind {
    Text = 0,        ///< char, varchar, text: quoted, quotes doubled
    Number = 1,      ///< integers, floats and any unknown code: the numeric value of the text
    Date = 3,        ///< date-time: quoted SQL date-time text
    UnicodeText = 4, ///< nchar, nvarchar, ntext: N'...'
    ExactNumber = 5, ///< numeric, decimal, money: every digit the server gave
    Bit = 6,         ///< bit: 1 or 0
    Binary = 7,      ///< binary, varbinary: 0x literal
    Guid = 8,        ///< uniqueidentifier: quoted
};

/// The kind of a column from its OLE DB type code.
ValueKind fieldValueKind(int typeCode);

/// True for the kinds whose value can stand for a key column (whole or decimal numbers).
bool isNumericKind(ValueKind kind);

} // namespace replication
