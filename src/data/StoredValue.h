#pragma once

// Internal to the memory tables: the one conversion of a value to the stored form of a field,
// used alike by appending, setting and searching.

#include "data/Field.h"

#include <QDateTime>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorn::data {

// A value in the form a column keeps it.
struct StoredValue {
    bool null = true;
    // Integer (the value), Currency (scaled), Date (Julian day), Time (milliseconds since
    // midnight), DateTime (milliseconds since the epoch).
    std::int64_t integer = 0;
    double floating = 0;            // Float
    std::string_view text;          // Text: a view of the converted value's bytes
    std::optional<QDateTime> stamp; // DateTime (kept out of the way of the other types)
};

enum class Conversion {
    // Into a field: exact conversions only (an integer into a Currency or Float field, a whole
    // amount into an Integer field, a date into a DateTime field), a double into Currency
    // rounded to four places, text cut to the field's width. Anything else throws MemTableError
    // (category Conversion). Never gives nullopt.
    Store,
    // As a search key: the same conversions, and an integral double into an Integer field; a
    // key no stored value can equal (2.5 for an Integer field, an amount out of range, NaN)
    // gives nullopt; text is not cut (a longer text equals no stored one). A value of a type
    // that cannot meet the field's throws as for Store.
    Search,
};

// Invalid dates and times are null. A DateTime's `integer` is set for Search only.
std::optional<StoredValue> convertToStored(const FieldDef& def, const Value& value,
                                           Conversion mode);

// The same, with the common case inline: a value of the field's own number or text type, as a
// query delivers it, takes the direct road (a memory table copies millions of them).
inline std::optional<StoredValue> toStored(const FieldDef& def, const Value& value,
                                           Conversion mode) {
    StoredValue out;
    out.null = false;
    switch (def.type) {
    case FieldType::Text:
        if (const auto* s = std::get_if<std::string>(&value)) {
            out.text = *s;
            if (mode == Conversion::Store && out.text.size() > static_cast<std::size_t>(def.size))
                out.text = out.text.substr(0, static_cast<std::size_t>(def.size));
            return out;
        }
        break;
    case FieldType::Integer:
        if (const auto* i = std::get_if<std::int64_t>(&value)) {
            out.integer = *i;
            return out;
        }
        break;
    case FieldType::Currency:
        if (const auto* c = std::get_if<Currency>(&value)) {
            out.integer = c->scaled;
            return out;
        }
        break;
    default:
        break;
    }
    return convertToStored(def, value, mode);
}
// The value back in the field's own type.
Value fromStored(const FieldDef& def, const StoredValue& stored);

const char* fieldTypeName(FieldType type);

} // namespace vorn::data
