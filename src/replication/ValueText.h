#pragma once

#include "replication/FieldValueKind.h"

#include <QString>
#include <QVariant>

namespace db {
class Field;
}

namespace replication {

/// How one value is written inside a generated INSERT statement.
namespace ValueText {

/// The SQL text of a field's value by the kind of its column; a NULL is NULL for every kind.
QString of(const db::Field& field);
/// The SQL text of `value` written as `kind`.
QString of(ValueKind kind, const QVariant& value);

/// "'" + text with every quote doubled + "'".
QString quoted(const QString& text);
/// The kind of text literal: '...' for char and varchar columns, N'...' for nchar and nvarchar.
enum class Literal { Ansi, Unicode };
/// A text literal that every server reads back as `text`: quoted runs ('...' or N'...'), with each
/// control character below a blank other than tab, CR and LF (NUL included) written as CHAR(n) or
/// NCHAR(n) and joined by "+": a NUL inside a literal ends the statement text.
QString literal(const QString& text, Literal kind);
/// The leading number of `text` through a double, at most 15 significant digits, no exponent.
QString number(const QString& text);
/// A double as its shortest decimal text of at most 15 significant digits, without exponent.
QString shortest(double value);
/// Exact decimal text without a redundant sign, leading or trailing zeros ("12.50" gives
/// "12.5", "-0.00" gives "0"); text that is not a plain decimal goes through number().
QString exactDecimal(const QString& text);

} // namespace ValueText
} // namespace replication
