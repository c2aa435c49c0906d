#pragma once

// A query of a Connection: an SQL text, opened into a cursor over its result rows. Opening
// positions the query on the first row (eof() at once when there is none); next() moves on.
// Fields are named by the result's column names or aliases (compared without regard to case;
// a repeated name gets "_1", "_2", ... as in "CODIGO_1").
//
// Column types become FieldDef types: CHAR/VARCHAR -> Text (bytes as the connection's character
// set delivers them, CHAR without its trailing blanks; size is the width in bytes);
// SMALLINT/INTEGER/BIGINT and BOOLEAN -> Integer; NUMERIC/DECIMAL -> Currency (four decimals,
// converted exactly; a column with more than four decimals is rounded half away from zero);
// FLOAT/DOUBLE PRECISION -> Float; DATE, TIME, TIMESTAMP -> Date, Time, DateTime. Other types
// (BLOB, ARRAY) make open() fail with a DatabaseError naming the column.
//
// As a RowSource (what a memory table copies from), fetchRow() hands over the current row and
// moves on, so a copy right after open() takes every row from the first.

#include "data/Connection.h"
#include "data/Field.h"

#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::data {

class Query : public RowSource {
public:
    explicit Query(Connection& connection);
    ~Query() override;
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Connection& connection() const;

    // The SQL text, as the bytes sent to the server (in the connection's character set,
    // Windows-1252 for the shop's database). Takes effect at the next open().
    void setSql(std::string sql);
    // Unicode text, converted to Windows-1252 (characters it lacks become "?").
    void setSql(const QString& sql);
    const std::string& sql() const;

    // Prepares and runs the SQL text, attaching the connection when it is closed. Does nothing
    // when the query is open already. Throws DatabaseError (the query stays closed).
    void open();
    // Releases the cursor and the rows; does nothing when closed. Never throws.
    void close();
    bool active() const;

    bool eof() const;
    // Moves to the next row (eof() after the last). Throws DatabaseError when fetching fails;
    // the query is closed then.
    void next();

    const std::vector<FieldDef>& fieldDefs() const override;
    int fieldCount() const;
    // -1 for an unknown name.
    int fieldIndex(std::string_view name) const;

    // Values of the current row; null when there is none (closed, or eof). An unknown name or
    // index throws DatabaseError.
    const Value& value(int field) const;
    const Value& value(std::string_view name) const;
    bool isNull(std::string_view name) const;
    // Typed readers; null reads as the empty text or 0. asString gives texts as stored and
    // asQString converts them from Windows-1252; both render other values as a memory table
    // does (ValueText.h), so a field reads the same before and after copying. asInteger takes
    // integers, amounts without decimals and texts holding a decimal integer; asCurrency takes
    // amounts and integers. Anything else throws DatabaseError.
    std::string asString(std::string_view name) const;
    QString asQString(std::string_view name) const;
    std::int64_t asInteger(std::string_view name) const;
    Currency asCurrency(std::string_view name) const;

    // RowSource: moves the current row into `row` and fetches the next one; false at the end.
    bool fetchRow(std::vector<Value>& row) override;

    struct Impl;

private:
    friend class Connection;
    // The connection is going away: forget it (the query can no longer open).
    void detachFromConnection() noexcept;
    std::unique_ptr<Impl> d_;
};

} // namespace vorn::data
