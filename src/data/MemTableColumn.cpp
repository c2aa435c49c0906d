#include "data/MemTableColumn.h"

#include "platform/CodepageCollation.h"

#include <algorithm>
#include <cstring>

namespace vorn::data {

void MemTable::Column::reserve(std::size_t rows, std::size_t textBytes) {
    nulls.reserve(rows);
    switch (def.type) {
    case FieldType::Text:
        texts.reserve(rows);
        bytes.reserve(textBytes);
        break;
    case FieldType::Float:
        floats.reserve(rows);
        break;
    case FieldType::DateTime:
        stamps.reserve(rows);
        break;
    default:
        ints.reserve(rows);
        break;
    }
}

void MemTable::Column::set(std::uint32_t row, const Value& value) {
    const StoredValue cell = *toStored(def, value, Conversion::Store);
    nulls[row] = cell.null ? 1 : 0;
    if (cell.null)
        return;
    switch (def.type) {
    case FieldType::Text: {
        const std::uint64_t old = texts[row];
        if (cell.text.size() <= (old & kMaxTextLength)) {
            std::memcpy(bytes.data() + (old >> kTextLengthBits), cell.text.data(),
                        cell.text.size());
            texts[row] = (old >> kTextLengthBits) << kTextLengthBits | cell.text.size();
        } else {
            texts[row] = storeText(cell.text);
        }
        break;
    }
    case FieldType::Float:
        floats[row] = cell.floating;
        break;
    case FieldType::DateTime:
        stamps[row] = *cell.stamp;
        break;
    default:
        ints[row] = cell.integer;
        break;
    }
}

Value MemTable::Column::get(std::uint32_t row) const {
    if (nulls[row])
        return {};
    switch (def.type) {
    case FieldType::Text:
        return std::string(text(row));
    case FieldType::Integer:
        return ints[row];
    case FieldType::Currency:
        return Currency{ints[row]};
    case FieldType::Float:
        return floats[row];
    case FieldType::Date:
        return QDate::fromJulianDay(ints[row]);
    case FieldType::Time:
        return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ints[row]));
    case FieldType::DateTime:
        return stamps[row];
    }
    return {};
}

int MemTable::Column::compare(std::uint32_t a, std::uint32_t b) const {
    switch (def.type) {
    case FieldType::Text:
        return platform::collateAnsi(text(a), text(b));
    case FieldType::Float:
        return floats[a] < floats[b] ? -1 : floats[b] < floats[a] ? 1 : 0;
    case FieldType::DateTime:
        return stamps[a] < stamps[b] ? -1 : stamps[b] < stamps[a] ? 1 : 0;
    default:
        return ints[a] < ints[b] ? -1 : ints[b] < ints[a] ? 1 : 0;
    }
}

} // namespace vorn::data
