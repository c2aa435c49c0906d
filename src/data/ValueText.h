#pragma once

// The plain text of a value, the same for a query's row and a memory table's: how asString and
// asQString of both read a field that is not a text.
//
//   null       empty
//   text       as stored (valueText) or from Windows-1252 (valueQText)
//   integer    decimal: -42
//   currency   "." and up to four decimals, no trailing zeros: 19.9, -0.01, 3
//   float      the shortest decimal that reads back as the same double: 0.1, 1e+20
//   date       2024-02-29
//   time       13:45:07, or 13:45:07.123 when it has milliseconds
//   date-time  2024-02-29 13:45:07(.123)

#include "data/Field.h"

#include <QString>
#include <string>

namespace vorn::data {

std::string currencyText(Currency amount);

// Text as its stored bytes (Windows-1252).
std::string valueText(const Value& value);
// Text converted from Windows-1252.
QString valueQText(const Value& value);

} // namespace vorn::data
