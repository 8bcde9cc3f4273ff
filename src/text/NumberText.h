#pragma once

#include "text/Decimal.h"

#include <QString>

namespace text {

/// How the program reads numbers out of text (settings values, text boxes, list entries).
namespace NumberText {

/// The number that text starts with, after leading blanks: an optional sign, digits, an optional
/// "." with digits and an optional exponent; 0 when the text does not start with a number
/// ("330abc" gives 330, "True" gives 0, " -12.5" gives -12.5).
double leading(const QString& text);
/// The same number exactly: " -12.50" gives -12.50; 0 when the text does not start with a number.
Decimal leadingDecimal(const QString& text);

/// leading(text) rounded half to even to a whole number; `ok` is false (and 0 returned) when the
/// number does not fit in [minimum, maximum].
long long leadingWhole(const QString& text, long long minimum, long long maximum, bool* ok = nullptr);

/// A number as plain decimal text with "." whatever the locale, without grouping or exponent,
/// with no trailing zeros ("12.5", "10", "-0.25").
QString plain(double value);
/// An exact number the same way: "12.5" for 12.50, "10" for 10.00.
QString plain(const Decimal& value);

} // namespace NumberText
} // namespace text
