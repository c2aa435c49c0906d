#pragma once

// Internal to the memory tables: the stored cells of one field, column by column. Texts of a
// column share one byte buffer, so loading a million rows makes no allocation per row.

#include "data/MemTable.h"
#include "data/MemTableError.h"
#include "data/StoredValue.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::data {

// A text cell: offset of its bytes in the column's buffer (40 bits) and length (24 bits).
inline constexpr unsigned kTextLengthBits = 24;
inline constexpr std::uint64_t kMaxTextLength = (std::uint64_t{1} << kTextLengthBits) - 1;
inline constexpr std::uint64_t kMaxTextOffset = (std::uint64_t{1} << (64 - kTextLengthBits)) - 1;

struct MemTable::Column {
    explicit Column(FieldDef d) : def(std::move(d)) {}

    FieldDef def;
    std::vector<std::uint8_t> nulls;
    std::vector<std::int64_t> ints;   // Integer, Currency (scaled), Date (Julian day), Time (ms)
    std::vector<double> floats;       // Float
    std::vector<std::uint64_t> texts; // Text: offset << 24 | length into `bytes`
    std::vector<QDateTime> stamps;    // DateTime
    std::string bytes;

    std::string_view text(std::uint32_t row) const {
        const std::uint64_t cell = texts[row];
        return {bytes.data() + (cell >> kTextLengthBits),
                static_cast<std::size_t>(cell & kMaxTextLength)};
    }
    // The integer of StoredValue: DateTime as milliseconds since the epoch.
    std::int64_t integer(std::uint32_t row) const {
        return def.type == FieldType::DateTime ? stamps[row].toMSecsSinceEpoch() : ints[row];
    }

    // Room for `rows` cells and `textBytes` bytes of text.
    void reserve(std::size_t rows, std::size_t textBytes);
    // Appends a cell: the value is converted to the field's type (Conversion::Store). Inline:
    // copying a query runs it for every value.
    void push(const Value& value) { push(*toStored(def, value, Conversion::Store)); }
    void push(const StoredValue& cell) {
        switch (def.type) {
        case FieldType::Text:
            texts.push_back(cell.null ? 0 : storeText(cell.text));
            break;
        case FieldType::Float:
            floats.push_back(cell.floating);
            break;
        case FieldType::DateTime:
            stamps.push_back(cell.stamp.value_or(QDateTime()));
            break;
        default:
            ints.push_back(cell.integer);
            break;
        }
        nulls.push_back(cell.null ? 1 : 0);
    }

    // Overwrites a cell. A text that fits in the old one's place is written over it; a longer
    // one goes to the end of the buffer.
    void set(std::uint32_t row, const Value& value);
    Value get(std::uint32_t row) const;
    // Order of two non-null cells: texts collated for reading, others by value.
    int compare(std::uint32_t a, std::uint32_t b) const;

private:
    std::uint64_t storeText(std::string_view s) {
        const std::size_t cut = std::min(s.size(), static_cast<std::size_t>(def.size));
        const std::uint64_t offset = bytes.size();
        if (offset > kMaxTextOffset)
            throw MemTableError("Field " + def.name + " holds more text than a table can keep");
        bytes.append(s.data(), cut);
        return offset << kTextLengthBits | cut;
    }
};

} // namespace vorn::data
