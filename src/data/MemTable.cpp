#include "data/MemTable.h"

#include "data/FieldName.h"
#include "data/MemTableColumn.h"
#include "data/MemTableHashIndex.h"
#include "data/ValueText.h"
#include "platform/Codepage.h"

namespace vorn::data {

MemTable::MemTable() = default;
MemTable::~MemTable() = default;
// The hash indexes hold no reference to their table, so they move along with it.
MemTable::MemTable(MemTable&&) noexcept = default;
MemTable& MemTable::operator=(MemTable&&) noexcept = default;

void MemTable::addField(const std::string& name, FieldType type, int size) {
    if (active())
        throw MemTableError("Fields of table cannot change while it is open (field " + name + ")");
    if (name.empty())
        throw MemTableError("A field needs a name");
    if (fieldIndex(name) >= 0)
        throw MemTableError("Field " + name + " is already defined");
    if (type == FieldType::Text && (size < 0 || static_cast<std::uint64_t>(size) > kMaxTextLength))
        throw MemTableError("Text field " + name + " has an invalid width " + std::to_string(size));
    defs_.push_back(FieldDef{name, type, type == FieldType::Text ? size : 0});
}

void MemTable::clearFields() {
    if (active())
        throw MemTableError("Fields of table cannot change while it is open");
    defs_.clear();
    columns_.clear();
}

int MemTable::fieldIndex(std::string_view name) const {
    return findField(defs_, name);
}

int MemTable::indexOf(std::string_view name) const {
    const int f = fieldIndex(name);
    if (f < 0)
        throw MemTableError("Field " + std::string(name) + " not found");
    return f;
}

void MemTable::requireActive(const char* what) const {
    if (!active())
        throw MemTableError(std::string("Cannot ") + what + ": the table is closed");
}

void MemTable::requireField(int field) const {
    if (field < 0 || field >= fieldCount())
        throw MemTableError("Field number " + std::to_string(field) + " does not exist");
}

void MemTable::createColumns() {
    columns_.clear();
    columns_.reserve(defs_.size());
    for (const FieldDef& d : defs_)
        columns_.emplace_back(d);
    rows_ = 0;
}

void MemTable::open() {
    if (active())
        return;
    if (defs_.empty())
        throw MemTableError("Cannot open a table without fields");
    createColumns();
    pending_.clear();
    state_ = State::Browse;
    rebind();
    rebuildView();
    first();
}

void MemTable::close() {
    state_ = State::Inactive;
    pending_.clear();
    createColumns();
    order_.clear();
    visible_.clear();
    indexes_.clear();
    resetCursor();
}

void MemTable::emptyTable() {
    requireActive("empty the table");
    pending_.clear();
    state_ = State::Browse;
    createColumns();
    rebuildView();
    first();
}

void MemTable::copyFrom(RowSource& source) {
    const std::vector<FieldDef> defs = source.fieldDefs();
    if (defs.empty())
        throw MemTableError("Cannot copy rows without columns");
    for (const FieldDef& def : defs)
        if (def.type == FieldType::Text &&
            (def.size < 0 || static_cast<std::uint64_t>(def.size) > kMaxTextLength))
            throw MemTableError("Text column " + def.name + " has an invalid width");

    std::vector<Column> columns;
    columns.reserve(defs.size());
    for (std::size_t f = 0; f < defs.size(); ++f) {
        columns.emplace_back(defs[f]);
        // A reload brings about as many rows as the last load: room for them up front spares
        // the copies of growing buffers.
        if (f < columns_.size() && columns_[f].def.type == defs[f].type)
            columns.back().reserve(rows_, columns_[f].bytes.size());
    }
    std::uint32_t rows = 0;
    std::vector<Value> row;
    while (source.fetchRow(row)) {
        if (row.size() != defs.size())
            throw MemTableError("A source row has " + std::to_string(row.size()) + " values for " +
                                std::to_string(defs.size()) + " columns");
        if (rows == UINT32_MAX)
            throw MemTableError("Too many rows for a memory table");
        for (std::size_t f = 0; f < defs.size(); ++f)
            columns[f].push(row[f]);
        ++rows;
    }

    // Every row is in: the new contents replace the old.
    defs_ = defs;
    columns_ = std::move(columns);
    rows_ = rows;
    pending_.clear();
    state_ = State::Browse;
    rebind();
    rebuildView();
    first();
}

int MemTable::recordCount() const {
    return active() ? static_cast<int>(viewSize()) : 0;
}

// ---------------------------------------------------------------------------------------------
// Reading the current record.

const FieldDef& MemTable::def(int field) const {
    requireField(field);
    return defs_[static_cast<std::size_t>(field)];
}

void MemTable::requireType(int field, std::initializer_list<FieldType> types,
                           const char* what) const {
    const FieldDef& d = def(field);
    for (FieldType t : types)
        if (d.type == t)
            return;
    throw MemTableError("Field " + d.name + " (" + fieldTypeName(d.type) + ") is not " + what);
}

Value MemTable::value(int field) const {
    requireField(field);
    if (editing())
        return pending_[static_cast<std::size_t>(field)];
    const auto row = currentRow();
    return row ? columns_[static_cast<std::size_t>(field)].get(*row) : Value{};
}

Value MemTable::valueAt(int recNo, int field) const {
    requireField(field);
    if (recNo < 1 || static_cast<std::size_t>(recNo) > viewSize())
        return Value{};
    return columns_[static_cast<std::size_t>(field)].get(
        rowAt(static_cast<std::size_t>(recNo - 1)));
}

bool MemTable::isNull(int field) const {
    requireField(field);
    if (editing())
        return data::isNull(pending_[static_cast<std::size_t>(field)]);
    const auto row = currentRow();
    return !row || columns_[static_cast<std::size_t>(field)].nulls[*row] != 0;
}

std::string_view MemTable::textView(int field) const {
    requireType(field, {FieldType::Text}, "a text field");
    if (editing()) {
        const auto* s = std::get_if<std::string>(&pending_[static_cast<std::size_t>(field)]);
        return s ? std::string_view(*s) : std::string_view();
    }
    const auto row = currentRow();
    const Column& c = columns_[static_cast<std::size_t>(field)];
    if (!row || c.nulls[*row])
        return {};
    return c.text(*row);
}

std::string MemTable::asString(int field) const {
    if (def(field).type == FieldType::Text)
        return std::string(textView(field));
    return valueText(value(field));
}

QString MemTable::asQString(int field) const {
    if (def(field).type == FieldType::Text)
        return platform::fromAnsi(textView(field));
    return valueQText(value(field));
}

std::int64_t MemTable::asInteger(int field) const {
    requireType(field, {FieldType::Integer}, "an integer field");
    const Value v = value(field);
    const auto* i = std::get_if<std::int64_t>(&v);
    return i ? *i : 0;
}

Currency MemTable::asCurrency(int field) const {
    requireType(field, {FieldType::Currency, FieldType::Integer}, "an amount");
    if (!editing()) { // the price lookup's road: no Value in between
        const auto row = currentRow();
        const Column& c = columns_[static_cast<std::size_t>(field)];
        if (row && c.def.type == FieldType::Currency)
            return Currency{c.nulls[*row] ? 0 : c.ints[*row]};
    }
    const Value v = value(field);
    if (data::isNull(v))
        return Currency{};
    return Currency{
        toStored(FieldDef{def(field).name, FieldType::Currency, 0}, v, Conversion::Store)->integer};
}

double MemTable::asFloat(int field) const {
    requireType(field, {FieldType::Float, FieldType::Currency, FieldType::Integer},
                "a numeric field");
    const Value v = value(field);
    if (data::isNull(v))
        return 0;
    return toStored(FieldDef{def(field).name, FieldType::Float, 0}, v, Conversion::Store)->floating;
}

QDate MemTable::asDate(int field) const {
    requireType(field, {FieldType::Date, FieldType::DateTime}, "a date field");
    const Value v = value(field);
    if (const auto* dt = std::get_if<QDateTime>(&v))
        return dt->date();
    const auto* d = std::get_if<QDate>(&v);
    return d ? *d : QDate();
}

QTime MemTable::asTime(int field) const {
    requireType(field, {FieldType::Time, FieldType::DateTime}, "a time field");
    const Value v = value(field);
    if (const auto* dt = std::get_if<QDateTime>(&v))
        return dt->time();
    const auto* t = std::get_if<QTime>(&v);
    return t ? *t : QTime();
}

QDateTime MemTable::asDateTime(int field) const {
    requireType(field, {FieldType::DateTime, FieldType::Date}, "a date and time field");
    const Value v = value(field);
    if (const auto* d = std::get_if<QDate>(&v))
        return d->startOfDay();
    const auto* dt = std::get_if<QDateTime>(&v);
    return dt ? *dt : QDateTime();
}

} // namespace vorn::data
