#pragma once

// Filter expressions of the memory tables: a small condition language over a table's fields,
// compiled once into a tree of evaluators that is then run on every row.
//
//   condition  := or
//   or         := and { OR and }
//   and        := not { AND not }
//   not        := NOT not | comparison
//   comparison := operand [ ( "=" | "<>" | LIKE | NOT LIKE ) operand ]
//   operand    := field | 'text' | number | UPPER "(" text ")" | "(" condition-or-operand ")"
//
// Keywords and field names are case-insensitive; a quote inside a text literal is written twice
// ('D''AGUA'). Numbers are decimal (12, -3, 12.5) and compare exactly with Integer and Currency
// fields. LIKE compares case-sensitively; "%" stands for any run of characters, "_" for one.
// UPPER upper-cases the letters of Windows-1252, accented ones included (ç -> Ç, ÿ -> Ÿ, œ -> Œ;
// platform::upperAnsi).
//
// Null follows SQL: a comparison with a null field is unknown, NOT unknown stays unknown,
// "unknown OR true" is true, and a row passes the filter only when its condition is true.
//
// Texts are Windows-1252 bytes, like the fields they are compared with.

#include "data/DataError.h"
#include "data/Field.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::data {

// A malformed expression (category Statement): the message (UTF-8) says what is wrong and at
// which character, counted from 1.
class FilterError : public DataError {
public:
    FilterError(const std::string& what, std::size_t position);
    std::size_t position() const { return position_; }

private:
    std::size_t position_;
};

// Read access to stored rows, by field index and row number, for the evaluators.
class RecordReader {
public:
    virtual ~RecordReader() = default;
    virtual bool isNull(int field, std::size_t row) const = 0;
    // Text fields.
    virtual std::string_view text(int field, std::size_t row) const = 0;
    // Integer (the value), Currency (scaled), Date (Julian day), Time (milliseconds since
    // midnight), DateTime (milliseconds since the epoch).
    virtual std::int64_t integer(int field, std::size_t row) const = 0;
    // Float fields.
    virtual double floating(int field, std::size_t row) const = 0;
};

class FilterExpression {
public:
    FilterExpression();
    ~FilterExpression();
    FilterExpression(FilterExpression&&) noexcept;
    FilterExpression& operator=(FilterExpression&&) noexcept;

    // Parses `text` against `fields`; throws FilterError. A text of blanks only gives an
    // expression that every row passes.
    static FilterExpression compile(std::string_view text, const std::vector<FieldDef>& fields);

    // Not reentrant: evaluators keep scratch buffers (tables live on one thread).
    bool matches(const RecordReader& reader, std::size_t row) const;
    bool passesAll() const { return !root_; }

    struct Node;

private:
    std::unique_ptr<Node> root_;
};

// The text as a literal of the filter language: in quotes, with every quote doubled.
std::string quoteFilterLiteral(std::string_view text);

} // namespace vorn::data
