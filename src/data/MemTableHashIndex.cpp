#include "data/MemTableHashIndex.h"

#include "data/MemTableColumn.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <string_view>

namespace vorn::data {

namespace {

std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return x;
}

// The 64 bits of a number key: 0.0 and -0.0 are one value.
std::uint64_t numberBits(FieldType type, std::int64_t i, double d) {
    if (type == FieldType::Float)
        return std::bit_cast<std::uint64_t>(d == 0 ? 0.0 : d);
    return static_cast<std::uint64_t>(i);
}

std::uint64_t hashOf(FieldType type, std::string_view text, std::int64_t i, double d) {
    if (type == FieldType::Text)
        return std::hash<std::string_view>{}(text);
    return mix(numberBits(type, i, d));
}

bool sameTag(std::uint64_t tagPos, std::uint64_t h) {
    return (tagPos >> 32) == (h >> 32);
}

bool sameText(const std::string& bytes, std::uint64_t cell, std::string_view text) {
    const auto length = static_cast<std::size_t>(cell & kMaxTextLength);
    return length == text.size() &&
           std::memcmp(bytes.data() + (cell >> kTextLengthBits), text.data(), length) == 0;
}

} // namespace

MemTable::HashIndex::HashIndex(const MemTable& table, int field) : field_(field) {
    const Column& column = table.columns_[static_cast<std::size_t>(field)];
    const FieldType type = column.def.type;
    const std::size_t n = table.viewSize();
    std::size_t capacity = 16;
    while (capacity * 7 < n * 10) // load at most 0.7
        capacity *= 2;
    slots_.assign(capacity, Slot{});
    mask_ = capacity - 1;
    for (std::size_t pos = 0; pos < n; ++pos) {
        const std::uint32_t row = table.rowAt(pos);
        if (column.nulls[row]) {
            if (!nullPos_)
                nullPos_ = pos;
            continue;
        }
        std::string_view text;
        std::int64_t i = 0;
        double d = 0;
        std::uint64_t bits = 0;
        if (type == FieldType::Text) {
            text = column.text(row);
            bits = column.texts[row];
        } else {
            if (type == FieldType::Float) {
                d = column.floats[row];
                if (std::isnan(d))
                    continue; // equal to nothing
            } else {
                i = column.integer(row);
            }
            bits = numberBits(type, i, d);
        }
        const std::uint64_t h = hashOf(type, text, i, d);
        std::size_t slot = h & mask_;
        bool seen = false;
        while (slots_[slot].tagPos != 0) {
            const Slot& s = slots_[slot];
            if (sameTag(s.tagPos, h) &&
                (type == FieldType::Text ? sameText(column.bytes, s.bits, text) : s.bits == bits)) {
                seen = true; // a later row of a value already indexed
                break;
            }
            slot = (slot + 1) & mask_;
        }
        if (!seen)
            slots_[slot] = Slot{(h >> 32) << 32 | (pos + 1), bits};
    }
}

std::optional<std::size_t> MemTable::HashIndex::find(const MemTable& table,
                                                     const StoredValue& key) const {
    if (key.null)
        return nullPos_;
    const Column& column = table.columns_[static_cast<std::size_t>(field_)];
    const FieldType type = column.def.type;
    const std::uint64_t h = hashOf(type, key.text, key.integer, key.floating);
    const std::uint64_t bits = numberBits(type, key.integer, key.floating);
    for (std::size_t slot = h & mask_; slots_[slot].tagPos != 0; slot = (slot + 1) & mask_) {
        const Slot& s = slots_[slot];
        if (sameTag(s.tagPos, h) &&
            (type == FieldType::Text ? sameText(column.bytes, s.bits, key.text) : s.bits == bits))
            return (s.tagPos & 0xFFFFFFFFu) - 1;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Search.

std::optional<std::size_t> MemTable::findPos(int field, const Value& value) const {
    requireField(field);
    if (!active())
        return std::nullopt;
    // A value that no stored value can equal (2.5 in an Integer field) finds nothing.
    const std::optional<StoredValue> key =
        toStored(defs_[static_cast<std::size_t>(field)], value, Conversion::Search);
    if (!key)
        return std::nullopt;
    auto& index = indexes_[static_cast<std::size_t>(field)];
    if (!index)
        index = std::make_unique<HashIndex>(*this, field);
    return index->find(*this, *key);
}

std::optional<int> MemTable::find(int field, const Value& key) const {
    if (editing())
        throw MemTableError("Cannot search while a record is being appended or edited");
    const auto pos = findPos(field, key);
    return pos ? std::optional<int>(static_cast<int>(*pos) + 1) : std::nullopt;
}

bool MemTable::locate(int field, const Value& key) {
    requireField(field);
    checkBrowse();
    const auto pos = findPos(field, key);
    if (!pos)
        return false;
    moveTo(*pos);
    return true;
}

void MemTable::invalidateIndexes() const {
    indexes_.clear();
    indexes_.resize(defs_.size());
}

} // namespace vorn::data
