#pragma once

// An in-memory table of named fields: the price cache, the product listing, the connected
// terminals and the activity log all live in one.
//
// Rows are stored column by column (texts of a column in one byte buffer), so a copy of a million
// query rows makes no allocation per row. On top of the stored rows sit the table's order (the
// order rows were added in, or the order of the index field names) and its filter; the current
// record, the record count and the search all work on the rows the table shows: those that pass
// the filter, in the table's order.
//
// A table lives on one thread. Views (std::string_view) of its texts stay valid until the table
// next changes.
//
// The implementation keeps one concept per file: MemTableColumn (stored cells), StoredValue (the
// one conversion of a value to its stored form, for appending, setting and searching),
// MemTableHashIndex (search), MemTableView (order and filter), MemTableCursor (current and
// pending record), and MemTable.cpp (structure, life, copying and reading fields).

#include "data/Field.h"
#include "data/FilterExpression.h"
#include "data/MemTableError.h"

#include <QString>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::data {

class MemTable {
public:
    enum class State { Inactive, Browse, Insert, Edit };

    MemTable();
    ~MemTable();
    MemTable(MemTable&&) noexcept;
    MemTable& operator=(MemTable&&) noexcept;
    MemTable(const MemTable&) = delete;
    MemTable& operator=(const MemTable&) = delete;

    // --- Structure: changed only while the table is closed.
    // Text: `size` is the width in bytes; longer texts are cut to it. Other types ignore `size`.
    void addField(const std::string& name, FieldType type, int size = 0);
    void clearFields();
    const std::vector<FieldDef>& fieldDefs() const { return defs_; }
    int fieldCount() const { return static_cast<int>(defs_.size()); }
    // Field names compare without regard to ASCII case. fieldIndex gives -1 for an unknown
    // name; indexOf throws MemTableError.
    int fieldIndex(std::string_view name) const;
    int indexOf(std::string_view name) const;

    // --- Life. open() needs field definitions and gives an empty table; close() drops the rows
    // (the filter and the index field names stay, like any other property). On a closed table
    // moving does nothing, fields read as null, the record count is 0 and a search finds
    // nothing; appending, editing and emptying throw MemTableError.
    void open();
    void close();
    bool active() const { return state_ != State::Inactive; }
    State state() const { return state_; }

    // Removes every row; the table stays open.
    void emptyTable();

    // Replaces structure and rows by the source's columns and all its remaining rows, and opens
    // the table on its first row. The rows are read into new storage that replaces the old one
    // only when the source is exhausted: when fetching fails, the exception leaves the table as
    // it was. The filter and index field names are applied again to the new rows; one that names
    // a field the new structure lacks is dropped (filter off and empty, no index).
    void copyFrom(RowSource& source);

    // Rows shown: those that pass the filter (when it is on).
    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }

    // --- Current record. recNo counts from 1 (0 when there is no row). next() on the last row
    // sets eof() and stays there; prior() on the first sets bof().
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    int recNo() const;
    void setRecNo(int recNo);

    // --- Editing. append() starts a new record (all fields null) that post() adds at the end
    // of the stored rows (in the table's order when index field names are set); edit() changes
    // the current record. Moving, searching, sorting and filtering post a pending record first;
    // emptyTable(), close() and copyFrom() discard it.
    void append();
    void edit();
    void post();
    void cancel();
    // Values are converted to the field's type where that is exact (an integer into a Currency
    // or Float field, a date into a DateTime field); a double into Currency rounds to four
    // places; other mismatches throw MemTableError. Text is cut to the field's width.
    void setValue(int field, const Value& value);
    void setValue(std::string_view name, const Value& value);
    // Unicode text, stored as Windows-1252 (characters it lacks become "?").
    void setText(int field, const QString& text);
    void setText(std::string_view name, const QString& text);

    // --- Fields of the current record (or of the pending one while appending or editing).
    // Without a current record every field reads as null. The typed readers give the type's
    // empty value (empty text, 0, invalid date) for null.
    Value value(int field) const;
    Value value(std::string_view name) const { return value(indexOf(name)); }
    // A field of the row shown at `recNo` (from 1), without moving the current record: how a
    // grid reads the rows it paints. Null outside 1..recordCount(). A pending record is not
    // seen here until it is posted.
    Value valueAt(int recNo, int field) const;
    bool isNull(int field) const;
    bool isNull(std::string_view name) const { return isNull(indexOf(name)); }
    // Text fields: a view of the stored bytes. Other fields: a plain rendering (integers in
    // decimal, amounts with a "." and up to four decimals, ISO dates and times).
    std::string asString(int field) const;
    std::string asString(std::string_view name) const { return asString(indexOf(name)); }
    std::string_view textView(int field) const; // Text fields only
    QString asQString(int field) const;
    QString asQString(std::string_view name) const { return asQString(indexOf(name)); }
    std::int64_t asInteger(int field) const;
    std::int64_t asInteger(std::string_view name) const { return asInteger(indexOf(name)); }
    Currency asCurrency(int field) const;
    Currency asCurrency(std::string_view name) const { return asCurrency(indexOf(name)); }
    double asFloat(int field) const;
    double asFloat(std::string_view name) const { return asFloat(indexOf(name)); }
    QDate asDate(int field) const;
    QTime asTime(int field) const;
    QDateTime asDateTime(int field) const;
    QDateTime asDateTime(std::string_view name) const { return asDateTime(indexOf(name)); }

    // --- Exact search: the first row, in the table's order, among the rows shown, whose field
    // equals `key` (text byte for byte, numbers by value, null finds null; an invalid date or
    // time is null, as it is when stored). locate() makes it the current record and answers
    // true, or answers false and leaves the current record; find() gives its recNo without
    // moving. The first search of a field builds a hash index
    // of it, which any change of rows, order or filter discards.
    bool locate(int field, const Value& key);
    bool locate(std::string_view name, const Value& key) { return locate(indexOf(name), key); }
    std::optional<int> find(int field, const Value& key) const;

    // --- Filter (language in FilterExpression.h). The text is compiled against the fields
    // when set: FilterError when it is malformed or names an unknown field, and then nothing
    // changes. A table without fields yet keeps the text and compiles it when fields come
    // (open, copyFrom). It applies while filtered() is on. Changing either moves to the first
    // row shown.
    void setFilter(std::string_view text);
    void setFilter(const char* text) { setFilter(std::string_view(text)); }
    void setFilter(const QString& text); // stored as Windows-1252
    const std::string& filter() const { return filterText_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }

    // --- Order: "FIELD" ascending, "FIELD:D" descending, "A;B:D" several; empty for the order
    // rows were added in. Ties keep the order rows were added in. Null comes first ascending.
    // Texts are collated for reading: letters by their base letter without regard to case or
    // accent (a, á, A, Á together; Ç with C), then byte by byte as a tie-break; other
    // characters by their Windows-1252 code. An unknown field or suffix throws MemTableError and
    // changes nothing (a table without fields yet keeps the names, as for the filter). The
    // current record stays on the same row.
    void setIndexFieldNames(std::string_view names);
    const std::string& indexFieldNames() const { return indexText_; }

    struct Column;
    class HashIndex;

private:
    struct SortKey {
        int field;
        bool descending;
    };
    class Reader;

    void requireActive(const char* what) const;
    void requireField(int field) const;
    void checkBrowse(); // posts a pending record
    std::size_t viewSize() const;
    std::uint32_t rowAt(std::size_t pos) const;
    bool rowLess(std::uint32_t a, std::uint32_t b) const;
    int compareRows(std::uint32_t a, std::uint32_t b) const;
    bool passes(std::uint32_t row) const;
    void rebuildView();
    void sortRows();
    void placeRow(std::uint32_t row);
    void unplaceRow(std::uint32_t row);
    std::optional<std::size_t> positionOf(std::uint32_t row) const;
    void rebind();
    void moveTo(std::size_t pos);
    void resetCursor();
    void invalidateIndexes() const;
    bool editing() const;
    const FieldDef& def(int field) const;
    void requireType(int field, std::initializer_list<FieldType> types, const char* what) const;
    std::optional<std::size_t> findPos(int field, const Value& key) const;
    std::vector<SortKey> parseIndexNames(std::string_view names,
                                         const std::vector<FieldDef>& defs) const;
    void createColumns();
    std::optional<std::uint32_t> currentRow() const;

    std::vector<FieldDef> defs_;
    std::vector<Column> columns_;
    std::uint32_t rows_ = 0;
    State state_ = State::Inactive;

    // Order and filter: `order_` holds all rows in the order of the index field names (unused
    // without them); `visible_` the rows that pass the filter, in the table's order (unused
    // while no filter applies).
    std::vector<SortKey> sortKeys_;
    std::string indexText_;
    std::vector<std::uint32_t> order_;
    std::string filterText_;
    bool filtered_ = false;
    FilterExpression filterExpr_;
    bool filterApplies_ = false;
    std::vector<std::uint32_t> visible_;

    // Cursor: a position among the rows shown.
    std::size_t pos_ = 0;
    bool eof_ = true;
    bool bof_ = true;

    // Pending record of append() / edit().
    std::vector<Value> pending_;
    std::uint32_t editedRow_ = 0;

    mutable std::vector<std::unique_ptr<HashIndex>> indexes_;
};

// The data side of a grid's title click: the grid's tag 0 sorts by the field ascending and sets
// the tag to 1; otherwise descending and the tag back to 0; then the first row. The toggle
// belongs to the grid, not to the field.
void OrdenaPorTitulo(int& tag, MemTable& table, const std::string& fieldName);

} // namespace vorn::data
