#pragma once

// Field definitions and values shared by the database query and the memory tables.
// Text is kept as Windows-1252 bytes (the database's character set), exactly as stored.

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace vorn::data {

enum class FieldType {
    Text,     // 8-bit text (Windows-1252) of at most `size` bytes
    Integer,  // 64-bit signed integer (SMALLINT, INTEGER, BIGINT)
    Currency, // exact decimal with four places, kept as a scaled 64-bit integer
    Float,    // binary floating point (FLOAT, DOUBLE PRECISION)
    Date,
    Time,
    DateTime,
};

struct FieldDef {
    std::string name; // upper-case as the database reports it
    FieldType type = FieldType::Text;
    int size = 0; // Text: width in bytes; others: 0
};

// An exact amount: value = scaled / 10000. NUMERIC(18,4) arrives in this form, so prices never
// pass through a binary double.
struct Currency {
    std::int64_t scaled = 0;
    static constexpr std::int64_t kScale = 10000;
    friend bool operator==(Currency, Currency) = default;
    friend auto operator<=>(Currency, Currency) = default;
};

// std::monostate is SQL NULL.
using Value = std::variant<std::monostate, std::string, std::int64_t, Currency, double, QDate,
                           QTime, QDateTime>;

inline bool isNull(const Value& v) {
    return std::holds_alternative<std::monostate>(v);
}

// Something whose rows can be read one after the other (an open query). A memory table copies
// from it without knowing where the rows come from.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual const std::vector<FieldDef>& fieldDefs() const = 0;
    // Fills `row` (one value per field, in field order) with the next row; false at the end.
    virtual bool fetchRow(std::vector<Value>& row) = 0;
};

} // namespace vorn::data
