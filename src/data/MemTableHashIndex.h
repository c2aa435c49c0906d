#pragma once

// Internal to the memory tables: the hash index of one field over the rows a table shows, built
// by the first search of the field and dropped by any change of rows, order or filter.

#include "data/MemTable.h"
#include "data/StoredValue.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vorn::data {

// For each distinct value, the position of its first row in the table's order. Open addressing
// with linear probing; a slot holds the upper half of the hash and the position + 1 (0 is an
// empty slot), and the value itself, so a search reads the column's text bytes at most, never
// its cell arrays.
class MemTable::HashIndex {
public:
    HashIndex(const MemTable& table, int field);
    // The position among the rows shown of the first row holding `key` (in the field's stored
    // form); null finds the first null.
    std::optional<std::size_t> find(const MemTable& table, const StoredValue& key) const;

private:
    struct Slot {
        std::uint64_t tagPos = 0;
        std::uint64_t bits = 0; // text: the column's cell (offset and length); else the value
    };

    int field_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::optional<std::size_t> nullPos_;
};

} // namespace vorn::data
