#include "data/MemTable.h"

#include "platform/Codepage.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <numeric>

namespace vorn::data {

namespace {

// A text cell: offset of its bytes in the column's buffer (40 bits) and length (24 bits).
constexpr unsigned kLengthBits = 24;
constexpr std::uint64_t kMaxLength = (std::uint64_t{1} << kLengthBits) - 1;
constexpr std::uint64_t kMaxOffset = (std::uint64_t{1} << (64 - kLengthBits)) - 1;

const char* typeName(FieldType t) {
    switch (t) {
    case FieldType::Text:
        return "Text";
    case FieldType::Integer:
        return "Integer";
    case FieldType::Currency:
        return "Currency";
    case FieldType::Float:
        return "Float";
    case FieldType::Date:
        return "Date";
    case FieldType::Time:
        return "Time";
    case FieldType::DateTime:
        return "DateTime";
    }
    return "?";
}

const char* valueTypeName(const Value& v) {
    static constexpr std::array<const char*, 8> names = {
        "null",    "a text", "an integer", "a currency amount",
        "a float", "a date", "a time",     "a date and time"};
    return names[v.index()];
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        char x = a[k], y = b[k];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

[[noreturn]] void mismatch(const FieldDef& def, const Value& v) {
    throw MemTableError(std::string("Field ") + def.name + " (" + typeName(def.type) +
                        ") cannot take " + valueTypeName(v));
}

// An amount with four decimals from a double, rounded half away from zero.
std::optional<std::int64_t> scaledFromDouble(double d) {
    const double s = std::round(d * static_cast<double>(Currency::kScale));
    if (!std::isfinite(s) || s < -9.2e18 || s > 9.2e18)
        return std::nullopt;
    return static_cast<std::int64_t>(s);
}

// The value in the field's own type (or null), text cut to the field's width.
Value convert(const FieldDef& def, Value v) {
    if (data::isNull(v))
        return v;
    switch (def.type) {
    case FieldType::Text:
        if (auto* s = std::get_if<std::string>(&v)) {
            if (s->size() > static_cast<std::size_t>(def.size))
                s->resize(static_cast<std::size_t>(def.size));
            return v;
        }
        break;
    case FieldType::Integer:
        if (std::holds_alternative<std::int64_t>(v))
            return v;
        if (auto* c = std::get_if<Currency>(&v); c && c->scaled % Currency::kScale == 0)
            return std::int64_t{c->scaled / Currency::kScale};
        break;
    case FieldType::Currency:
        if (std::holds_alternative<Currency>(v))
            return v;
        if (auto* i = std::get_if<std::int64_t>(&v)) {
            std::int64_t scaled = 0;
            if (!__builtin_mul_overflow(*i, Currency::kScale, &scaled))
                return Currency{scaled};
            throw MemTableError("Value " + std::to_string(*i) + " is too large for field " +
                                def.name);
        }
        if (auto* d = std::get_if<double>(&v)) {
            if (auto scaled = scaledFromDouble(*d))
                return Currency{*scaled};
            throw MemTableError("Value is out of range for field " + def.name);
        }
        break;
    case FieldType::Float:
        if (std::holds_alternative<double>(v))
            return v;
        if (auto* i = std::get_if<std::int64_t>(&v))
            return static_cast<double>(*i);
        if (auto* c = std::get_if<Currency>(&v))
            return static_cast<double>(c->scaled) / static_cast<double>(Currency::kScale);
        break;
    case FieldType::Date:
        if (auto* d = std::get_if<QDate>(&v))
            return d->isValid() ? v : Value{};
        break;
    case FieldType::Time:
        if (auto* t = std::get_if<QTime>(&v))
            return t->isValid() ? v : Value{};
        break;
    case FieldType::DateTime:
        if (auto* dt = std::get_if<QDateTime>(&v))
            return dt->isValid() ? v : Value{};
        if (auto* d = std::get_if<QDate>(&v))
            return d->isValid() ? Value{d->startOfDay()} : Value{};
        break;
    }
    mismatch(def, v);
}

std::string currencyText(Currency c) {
    const bool negative = c.scaled < 0;
    const auto magnitude = negative ? -static_cast<unsigned __int128>(c.scaled)
                                    : static_cast<unsigned __int128>(c.scaled);
    const auto whole = static_cast<std::uint64_t>(magnitude / Currency::kScale);
    auto fraction = static_cast<unsigned>(magnitude % Currency::kScale);
    std::string out = (negative ? "-" : "") + std::to_string(whole);
    if (fraction != 0) {
        std::string digits = std::to_string(fraction + Currency::kScale).substr(1);
        while (digits.back() == '0')
            digits.pop_back();
        out += '.' + digits;
    }
    return out;
}

std::string render(const Value& v) {
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(std::int64_t i) const { return std::to_string(i); }
        std::string operator()(Currency c) const { return currencyText(c); }
        std::string operator()(double d) const {
            std::array<char, 32> buf{};
            auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), d);
            return ec == std::errc() ? std::string(buf.data(), end) : std::string();
        }
        std::string operator()(const QDate& d) const {
            return d.toString(Qt::ISODate).toStdString();
        }
        std::string operator()(const QTime& t) const {
            return t.toString(Qt::ISODate).toStdString();
        }
        std::string operator()(const QDateTime& dt) const {
            return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
        }
    };
    return std::visit(Visitor{}, v);
}

// Sort weights of Windows-1252 bytes: a letter weighs as its upper-case base letter (a, á, Á
// weigh as A; ç as C); other characters as their upper case, or themselves.
const std::array<unsigned char, 256>& collationWeights() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<unsigned char>(b);
            const char32_t cp = platform::ansiToUnicode(byte);
            char32_t base = cp;
            if (QChar::decompositionTag(cp) == QChar::Canonical) {
                const QString d = QChar::decomposition(cp);
                if (!d.isEmpty())
                    base = d.at(0).unicode();
            }
            const char32_t baseUpper = QChar::toUpper(base);
            if (baseUpper >= 'A' && baseUpper <= 'Z') {
                t[b] = static_cast<unsigned char>(baseUpper);
                continue;
            }
            const unsigned char upper = platform::unicodeToAnsi(QChar::toUpper(cp));
            t[b] = upper != '?' ? upper : byte;
        }
        return t;
    }();
    return table;
}

int collate(std::string_view a, std::string_view b) {
    const auto& w = collationWeights();
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < n; ++k) {
        const unsigned char x = w[static_cast<unsigned char>(a[k])];
        const unsigned char y = w[static_cast<unsigned char>(b[k])];
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int raw = a.compare(b);
    return raw < 0 ? -1 : raw > 0 ? 1 : 0;
}

std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return x;
}

// A search key in the stored form of its field.
struct Key {
    bool null = false;
    std::string_view text;
    std::int64_t i = 0;
    double d = 0;
};

std::uint64_t hashKey(FieldType type, const Key& k) {
    switch (type) {
    case FieldType::Text:
        return std::hash<std::string_view>{}(k.text);
    case FieldType::Float:
        return mix(std::bit_cast<std::uint64_t>(k.d == 0 ? 0.0 : k.d));
    default:
        return mix(static_cast<std::uint64_t>(k.i));
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Columns.

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
        return {bytes.data() + (cell >> kLengthBits), static_cast<std::size_t>(cell & kMaxLength)};
    }

    std::int64_t integer(std::uint32_t row) const {
        return def.type == FieldType::DateTime ? stamps[row].toMSecsSinceEpoch() : ints[row];
    }

    std::uint64_t storeText(std::string_view s) {
        const std::size_t cut = std::min(s.size(), static_cast<std::size_t>(def.size));
        const std::uint64_t offset = bytes.size();
        if (offset > kMaxOffset)
            throw MemTableError("Field " + def.name + " holds more text than a table can keep");
        bytes.append(s.data(), cut);
        return offset << kLengthBits | cut;
    }

    void reserve(std::size_t rows, std::size_t textBytes) {
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

    // Appends a null cell.
    void pushNull() {
        nulls.push_back(1);
        switch (def.type) {
        case FieldType::Text:
            texts.push_back(0);
            break;
        case FieldType::Float:
            floats.push_back(0);
            break;
        case FieldType::DateTime:
            stamps.emplace_back();
            break;
        default:
            ints.push_back(0);
            break;
        }
    }

    // Appends a cell; the value of the field's own type takes the direct road.
    void push(const Value& v) {
        switch (def.type) {
        case FieldType::Text:
            if (auto* s = std::get_if<std::string>(&v)) {
                texts.push_back(storeText(*s));
                nulls.push_back(0);
                return;
            }
            break;
        case FieldType::Integer:
            if (auto* i = std::get_if<std::int64_t>(&v)) {
                ints.push_back(*i);
                nulls.push_back(0);
                return;
            }
            break;
        case FieldType::Currency:
            if (auto* c = std::get_if<Currency>(&v)) {
                ints.push_back(c->scaled);
                nulls.push_back(0);
                return;
            }
            break;
        case FieldType::Float:
            if (auto* d = std::get_if<double>(&v)) {
                floats.push_back(*d);
                nulls.push_back(0);
                return;
            }
            break;
        case FieldType::Date:
            if (auto* d = std::get_if<QDate>(&v); d && d->isValid()) {
                ints.push_back(d->toJulianDay());
                nulls.push_back(0);
                return;
            }
            break;
        case FieldType::Time:
            if (auto* t = std::get_if<QTime>(&v); t && t->isValid()) {
                ints.push_back(t->msecsSinceStartOfDay());
                nulls.push_back(0);
                return;
            }
            break;
        case FieldType::DateTime:
            if (auto* dt = std::get_if<QDateTime>(&v); dt && dt->isValid()) {
                stamps.push_back(*dt);
                nulls.push_back(0);
                return;
            }
            break;
        }
        if (data::isNull(v)) {
            pushNull();
            return;
        }
        const Value converted = convert(def, v);
        if (data::isNull(converted))
            pushNull();
        else
            push(converted);
    }

    // Overwrites a cell with a value already converted to the field's type. A text that fits
    // in the old one's place is written over it; a longer one goes to the end of the buffer.
    void set(std::uint32_t row, const Value& v) {
        nulls[row] = data::isNull(v) ? 1 : 0;
        if (data::isNull(v))
            return;
        switch (def.type) {
        case FieldType::Text: {
            const auto& s = std::get<std::string>(v);
            const std::uint64_t cell = texts[row];
            if (s.size() <= (cell & kMaxLength)) {
                std::memcpy(bytes.data() + (cell >> kLengthBits), s.data(), s.size());
                texts[row] = (cell >> kLengthBits) << kLengthBits | s.size();
            } else {
                texts[row] = storeText(s);
            }
            break;
        }
        case FieldType::Integer:
            ints[row] = std::get<std::int64_t>(v);
            break;
        case FieldType::Currency:
            ints[row] = std::get<Currency>(v).scaled;
            break;
        case FieldType::Float:
            floats[row] = std::get<double>(v);
            break;
        case FieldType::Date:
            ints[row] = std::get<QDate>(v).toJulianDay();
            break;
        case FieldType::Time:
            ints[row] = std::get<QTime>(v).msecsSinceStartOfDay();
            break;
        case FieldType::DateTime:
            stamps[row] = std::get<QDateTime>(v);
            break;
        }
    }

    Value get(std::uint32_t row) const {
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

    bool equals(std::uint32_t row, const Key& k) const {
        switch (def.type) {
        case FieldType::Text:
            return text(row) == k.text;
        case FieldType::Float:
            return floats[row] == k.d;
        default:
            return integer(row) == k.i;
        }
    }

    Key keyAt(std::uint32_t row) const {
        Key k;
        switch (def.type) {
        case FieldType::Text:
            k.text = text(row);
            break;
        case FieldType::Float:
            k.d = floats[row];
            break;
        default:
            k.i = integer(row);
            break;
        }
        return k;
    }

    int compare(std::uint32_t a, std::uint32_t b) const {
        switch (def.type) {
        case FieldType::Text:
            return collate(text(a), text(b));
        case FieldType::Float:
            return floats[a] < floats[b] ? -1 : floats[b] < floats[a] ? 1 : 0;
        case FieldType::DateTime:
            return stamps[a] < stamps[b] ? -1 : stamps[b] < stamps[a] ? 1 : 0;
        default:
            return ints[a] < ints[b] ? -1 : ints[b] < ints[a] ? 1 : 0;
        }
    }
};

// ---------------------------------------------------------------------------------------------
// Row access for the filter.

class MemTable::Reader final : public RecordReader {
public:
    explicit Reader(const std::vector<Column>& columns) : columns_(columns) {}
    bool isNull(int f, std::size_t row) const override { return columns_[f].nulls[row] != 0; }
    std::string_view text(int f, std::size_t row) const override {
        return columns_[f].text(static_cast<std::uint32_t>(row));
    }
    std::int64_t integer(int f, std::size_t row) const override {
        return columns_[f].integer(static_cast<std::uint32_t>(row));
    }
    double floating(int f, std::size_t row) const override { return columns_[f].floats[row]; }

private:
    const std::vector<Column>& columns_;
};

// ---------------------------------------------------------------------------------------------
// Hash index of one field over the rows shown: for each distinct value, the position of its
// first row in the table's order. Open addressing with linear probing; a slot holds the upper
// half of the hash and the position + 1 (0 is an empty slot).

class MemTable::HashIndex {
public:
    HashIndex(const MemTable& table, int field) : field_(field) {
        const Column& column = table.columns_[static_cast<std::size_t>(field)];
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
            const Key k = column.keyAt(row);
            if (column.def.type == FieldType::Float && std::isnan(k.d))
                continue; // equal to nothing
            const std::uint64_t h = hashKey(column.def.type, k);
            const std::uint64_t bits =
                column.def.type == FieldType::Text ? column.texts[row] : keyBits(column, k);
            std::size_t slot = h & mask_;
            bool seen = false;
            while (slots_[slot].tagPos != 0) {
                if (matches(column, slots_[slot], h, k)) {
                    seen = true; // a later row of a value already indexed
                    break;
                }
                slot = (slot + 1) & mask_;
            }
            if (!seen)
                slots_[slot] = Slot{(h >> 32) << 32 | (pos + 1), bits};
        }
    }

    std::optional<std::size_t> find(const MemTable& table, const Key& k) const {
        if (k.null)
            return nullPos_;
        const Column& column = table.columns_[static_cast<std::size_t>(field_)];
        const std::uint64_t h = hashKey(column.def.type, k);
        for (std::size_t slot = h & mask_; slots_[slot].tagPos != 0; slot = (slot + 1) & mask_)
            if (matches(column, slots_[slot], h, k))
                return (slots_[slot].tagPos & 0xFFFFFFFFu) - 1;
        return std::nullopt;
    }

private:
    // Upper half of the hash and position + 1 (0: empty slot); and the value itself: the text
    // cell (offset and length in the column's buffer) or the 64 bits of a number, so that a
    // search reads the column's bytes at most, never its cell arrays.
    struct Slot {
        std::uint64_t tagPos = 0;
        std::uint64_t bits = 0;
    };

    static std::uint64_t keyBits(const Column& column, const Key& k) {
        if (column.def.type == FieldType::Float)
            return std::bit_cast<std::uint64_t>(k.d == 0 ? 0.0 : k.d);
        return static_cast<std::uint64_t>(k.i);
    }

    static bool matches(const Column& column, const Slot& slot, std::uint64_t h, const Key& k) {
        if ((slot.tagPos >> 32) != (h >> 32))
            return false;
        if (column.def.type != FieldType::Text)
            return slot.bits == keyBits(column, k);
        const auto length = static_cast<std::size_t>(slot.bits & kMaxLength);
        return length == k.text.size() &&
               std::memcmp(column.bytes.data() + (slot.bits >> kLengthBits), k.text.data(),
                           length) == 0;
    }

    int field_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::optional<std::size_t> nullPos_;
};

// ---------------------------------------------------------------------------------------------

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
    if (type == FieldType::Text && (size < 0 || static_cast<std::uint64_t>(size) > kMaxLength))
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
    for (std::size_t f = 0; f < defs_.size(); ++f)
        if (sameName(defs_[f].name, name))
            return static_cast<int>(f);
    return -1;
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

// Binds the filter and index field names to the current fields; those that do not fit go.
void MemTable::rebind() {
    filterExpr_ = FilterExpression();
    if (!trimmed(filterText_).empty()) {
        try {
            filterExpr_ = FilterExpression::compile(filterText_, defs_);
        } catch (const FilterError&) {
            filterText_.clear();
            filtered_ = false;
        }
    }
    filterApplies_ = filtered_ && !filterExpr_.passesAll();
    try {
        sortKeys_ = parseIndexNames(indexText_, defs_);
    } catch (const MemTableError&) {
        indexText_.clear();
        sortKeys_.clear();
    }
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
    for (std::size_t f = 0; f < defs.size(); ++f)
        if (defs[f].type == FieldType::Text &&
            (defs[f].size < 0 || static_cast<std::uint64_t>(defs[f].size) > kMaxLength))
            throw MemTableError("Text column " + defs[f].name + " has an invalid width");

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
// Order, filter and the rows shown.

std::size_t MemTable::viewSize() const {
    if (filterApplies_)
        return visible_.size();
    return sortKeys_.empty() ? rows_ : order_.size();
}

std::uint32_t MemTable::rowAt(std::size_t pos) const {
    if (filterApplies_)
        return visible_[pos];
    return sortKeys_.empty() ? static_cast<std::uint32_t>(pos) : order_[pos];
}

int MemTable::compareRows(std::uint32_t a, std::uint32_t b) const {
    for (const SortKey& key : sortKeys_) {
        const Column& c = columns_[static_cast<std::size_t>(key.field)];
        const bool nullA = c.nulls[a] != 0, nullB = c.nulls[b] != 0;
        int r = 0;
        if (nullA || nullB)
            r = nullA == nullB ? 0 : nullA ? -1 : 1;
        else
            r = c.compare(a, b);
        if (r != 0)
            return key.descending ? -r : r;
    }
    return 0;
}

bool MemTable::rowLess(std::uint32_t a, std::uint32_t b) const {
    if (!sortKeys_.empty()) {
        const int r = compareRows(a, b);
        if (r != 0)
            return r < 0;
    }
    return a < b; // ties: the order rows were added in
}

bool MemTable::passes(std::uint32_t row) const {
    return filterExpr_.matches(Reader(columns_), row);
}

void MemTable::sortRows() {
    order_.resize(rows_);
    std::iota(order_.begin(), order_.end(), 0u);
    const SortKey& first = sortKeys_.front();
    const Column& c = columns_[static_cast<std::size_t>(first.field)];
    if (c.def.type != FieldType::Text) {
        std::sort(order_.begin(), order_.end(),
                  [this](std::uint32_t a, std::uint32_t b) { return rowLess(a, b); });
        return;
    }
    // Texts: sort on the collation weights of their first 15 bytes, kept beside the row number,
    // and compare the rows themselves only where those tie. Null gives 0, below any text.
    struct Entry {
        std::uint64_t high, low;
        std::uint32_t row;
    };
    const auto& w = collationWeights();
    std::vector<Entry> entries(rows_);
    for (std::uint32_t row = 0; row < rows_; ++row) {
        std::uint64_t high = 0, low = 0;
        if (!c.nulls[row]) {
            const std::string_view t = c.text(row);
            high = std::uint64_t{1} << 56;
            for (std::size_t k = 0; k < 15 && k < t.size(); ++k) {
                const std::uint64_t weight = w[static_cast<unsigned char>(t[k])];
                if (k < 7)
                    high |= weight << (8 * (6 - k));
                else
                    low |= weight << (8 * (14 - k));
            }
        }
        if (first.descending) {
            high = ~high;
            low = ~low;
        }
        entries[row] = Entry{high, low, row};
    }
    std::sort(entries.begin(), entries.end(), [this](const Entry& a, const Entry& b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        return rowLess(a.row, b.row);
    });
    for (std::uint32_t k = 0; k < rows_; ++k)
        order_[k] = entries[k].row;
}

void MemTable::rebuildView() {
    order_.clear();
    if (!sortKeys_.empty())
        sortRows();
    visible_.clear();
    if (filterApplies_) {
        const Reader reader(columns_);
        const bool sorted = !sortKeys_.empty();
        for (std::uint32_t k = 0; k < rows_; ++k) {
            const std::uint32_t row = sorted ? order_[k] : k;
            if (filterExpr_.matches(reader, row))
                visible_.push_back(row);
        }
    }
    invalidateIndexes();
}

// Puts a stored row into the order and, when it passes the filter, among the rows shown.
void MemTable::placeRow(std::uint32_t row) {
    const auto less = [this](std::uint32_t a, std::uint32_t b) { return rowLess(a, b); };
    if (!sortKeys_.empty())
        order_.insert(std::lower_bound(order_.begin(), order_.end(), row, less), row);
    if (filterApplies_ && passes(row))
        visible_.insert(std::lower_bound(visible_.begin(), visible_.end(), row, less), row);
}

void MemTable::unplaceRow(std::uint32_t row) {
    if (auto it = std::find(order_.begin(), order_.end(), row); it != order_.end())
        order_.erase(it);
    if (auto it = std::find(visible_.begin(), visible_.end(), row); it != visible_.end())
        visible_.erase(it);
}

std::optional<std::size_t> MemTable::positionOf(std::uint32_t row) const {
    if (!filterApplies_ && sortKeys_.empty())
        return row < rows_ ? std::optional<std::size_t>(row) : std::nullopt;
    const auto& view = filterApplies_ ? visible_ : order_;
    const auto less = [this](std::uint32_t a, std::uint32_t b) { return rowLess(a, b); };
    const auto it = std::lower_bound(view.begin(), view.end(), row, less);
    if (it == view.end() || *it != row)
        return std::nullopt;
    return static_cast<std::size_t>(it - view.begin());
}

void MemTable::invalidateIndexes() const {
    indexes_.clear();
    indexes_.resize(defs_.size());
}

void MemTable::setFilter(std::string_view text) {
    FilterExpression compiled;
    if (!defs_.empty())
        compiled = FilterExpression::compile(text, defs_); // throws before anything changes
    checkBrowse();
    filterText_ = std::string(text);
    filterExpr_ = std::move(compiled);
    filterApplies_ = filtered_ && !filterExpr_.passesAll();
    if (active()) {
        rebuildView();
        first();
    }
}

void MemTable::setFilter(const QString& text) {
    const QByteArray ansi = platform::toAnsi(text);
    setFilter(std::string_view(ansi.constData(), static_cast<std::size_t>(ansi.size())));
}

void MemTable::setFiltered(bool on) {
    checkBrowse();
    filtered_ = on;
    filterApplies_ = filtered_ && !filterExpr_.passesAll();
    if (active()) {
        rebuildView();
        first();
    }
}

std::vector<MemTable::SortKey> MemTable::parseIndexNames(std::string_view names,
                                                         const std::vector<FieldDef>& defs) const {
    std::vector<SortKey> keys;
    while (!names.empty()) {
        const std::size_t cut = names.find(';');
        const std::string_view item = trimmed(names.substr(0, cut));
        names = cut == std::string_view::npos ? std::string_view() : names.substr(cut + 1);
        if (item.empty())
            continue;
        std::string_view name = item;
        bool descending = false;
        if (const std::size_t colon = item.find(':'); colon != std::string_view::npos) {
            name = trimmed(item.substr(0, colon));
            const std::string_view option = trimmed(item.substr(colon + 1));
            if (sameName(option, "D"))
                descending = true;
            else if (!sameName(option, "A"))
                throw MemTableError("Index field " + std::string(item) +
                                    ": the suffix must be :A or :D");
        }
        int field = -1;
        for (std::size_t f = 0; f < defs.size() && field < 0; ++f)
            if (sameName(defs[f].name, name))
                field = static_cast<int>(f);
        if (field < 0)
            throw MemTableError("Index field " + std::string(name) + " not found");
        keys.push_back(SortKey{field, descending});
    }
    return keys;
}

void MemTable::setIndexFieldNames(std::string_view names) {
    std::vector<SortKey> keys;
    if (!defs_.empty())
        keys = parseIndexNames(names, defs_); // throws before anything changes
    checkBrowse();
    const std::optional<std::uint32_t> current = currentRow();
    indexText_ = std::string(names);
    sortKeys_ = std::move(keys);
    if (!active())
        return;
    rebuildView();
    if (const auto pos = current ? positionOf(*current) : std::nullopt)
        moveTo(*pos);
    else
        first();
}

// ---------------------------------------------------------------------------------------------
// Cursor.

void MemTable::resetCursor() {
    pos_ = 0;
    eof_ = bof_ = true;
}

void MemTable::moveTo(std::size_t pos) {
    pos_ = pos;
    eof_ = bof_ = false;
}

std::optional<std::uint32_t> MemTable::currentRow() const {
    if (!active() || viewSize() == 0)
        return std::nullopt;
    return rowAt(pos_);
}

void MemTable::first() {
    if (!active())
        return;
    checkBrowse();
    pos_ = 0;
    bof_ = true;
    eof_ = viewSize() == 0;
}

void MemTable::last() {
    if (!active())
        return;
    checkBrowse();
    const std::size_t n = viewSize();
    pos_ = n == 0 ? 0 : n - 1;
    eof_ = true;
    bof_ = n == 0;
}

void MemTable::next() {
    if (!active())
        return;
    checkBrowse();
    if (pos_ + 1 < viewSize()) {
        ++pos_;
        eof_ = bof_ = false;
    } else {
        eof_ = true;
    }
}

void MemTable::prior() {
    if (!active())
        return;
    checkBrowse();
    if (pos_ > 0 && viewSize() > 0) {
        --pos_;
        eof_ = bof_ = false;
    } else {
        bof_ = true;
    }
}

int MemTable::recNo() const {
    return currentRow() ? static_cast<int>(pos_) + 1 : 0;
}

void MemTable::setRecNo(int recNo) {
    requireActive("move to a record");
    checkBrowse();
    if (recNo < 1 || static_cast<std::size_t>(recNo) > viewSize())
        throw MemTableError("Record " + std::to_string(recNo) + " does not exist");
    moveTo(static_cast<std::size_t>(recNo - 1));
}

// ---------------------------------------------------------------------------------------------
// Editing.

void MemTable::checkBrowse() {
    if (state_ == State::Insert || state_ == State::Edit)
        post();
}

void MemTable::append() {
    requireActive("append");
    checkBrowse();
    pending_.assign(defs_.size(), Value{});
    state_ = State::Insert;
}

void MemTable::edit() {
    requireActive("edit");
    checkBrowse();
    const auto row = currentRow();
    if (!row)
        throw MemTableError("Cannot edit: the table has no current record");
    pending_.clear();
    for (const Column& c : columns_)
        pending_.push_back(c.get(*row));
    editedRow_ = *row;
    state_ = State::Edit;
}

void MemTable::post() {
    if (state_ != State::Insert && state_ != State::Edit)
        throw MemTableError("Cannot post: the table is not appending or editing a record");
    std::uint32_t row = 0;
    const std::size_t oldPos = pos_;
    if (state_ == State::Insert) {
        if (rows_ == UINT32_MAX)
            throw MemTableError("Too many rows for a memory table");
        row = rows_;
        for (std::size_t f = 0; f < columns_.size(); ++f)
            columns_[f].push(pending_[f]);
        ++rows_;
    } else {
        row = editedRow_;
        unplaceRow(row);
        for (std::size_t f = 0; f < columns_.size(); ++f)
            columns_[f].set(row, pending_[f]);
    }
    placeRow(row);
    invalidateIndexes();
    pending_.clear();
    state_ = State::Browse;
    if (const auto pos = positionOf(row))
        moveTo(*pos);
    else if (viewSize() == 0)
        resetCursor();
    else
        moveTo(std::min(oldPos, viewSize() - 1)); // the row left the filter
}

void MemTable::cancel() {
    if (state_ == State::Insert || state_ == State::Edit) {
        pending_.clear();
        state_ = State::Browse;
    }
}

void MemTable::setValue(int field, Value value) {
    requireField(field);
    if (state_ != State::Insert && state_ != State::Edit)
        throw MemTableError("Cannot set field " + defs_[field].name +
                            ": the table is not appending or editing a record");
    pending_[field] = convert(defs_[field], std::move(value));
}

void MemTable::setValue(std::string_view name, Value value) {
    setValue(indexOf(name), std::move(value));
}

void MemTable::setText(int field, const QString& text) {
    const QByteArray ansi = platform::toAnsi(text);
    setValue(field, std::string(ansi.constData(), static_cast<std::size_t>(ansi.size())));
}

void MemTable::setText(std::string_view name, const QString& text) {
    setText(indexOf(name), text);
}

// ---------------------------------------------------------------------------------------------
// Reading the current record.

bool MemTable::editing() const {
    return state_ == State::Insert || state_ == State::Edit;
}

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
    throw MemTableError("Field " + d.name + " (" + typeName(d.type) + ") is not " + what);
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
    return render(value(field));
}

QString MemTable::asQString(int field) const {
    if (def(field).type == FieldType::Text)
        return platform::fromAnsi(textView(field));
    return QString::fromStdString(render(value(field)));
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
    return std::get<Currency>(convert(FieldDef{def(field).name, FieldType::Currency, 0}, v));
}

double MemTable::asFloat(int field) const {
    requireType(field, {FieldType::Float, FieldType::Currency, FieldType::Integer},
                "a numeric field");
    const Value v = value(field);
    if (data::isNull(v))
        return 0;
    return std::get<double>(convert(FieldDef{def(field).name, FieldType::Float, 0}, v));
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

// ---------------------------------------------------------------------------------------------
// Search.

std::optional<std::size_t> MemTable::findPos(int field, const Value& value) const {
    requireField(field);
    if (!active())
        return std::nullopt;
    const Column& c = columns_[static_cast<std::size_t>(field)];
    // The key in the stored form of the field; a value that no stored value can equal (2.5 in
    // an Integer field) finds nothing.
    Key key;
    std::string converted;
    if (data::isNull(value)) {
        key.null = true;
    } else {
        switch (c.def.type) {
        case FieldType::Text:
            if (const auto* s = std::get_if<std::string>(&value))
                key.text = *s; // not cut: a longer text equals no stored one
            else
                mismatch(c.def, value);
            break;
        case FieldType::Integer:
            if (const auto* i = std::get_if<std::int64_t>(&value)) {
                key.i = *i;
            } else if (const auto* cur = std::get_if<Currency>(&value)) {
                if (cur->scaled % Currency::kScale != 0)
                    return std::nullopt;
                key.i = cur->scaled / Currency::kScale;
            } else if (const auto* d = std::get_if<double>(&value)) {
                if (!(std::trunc(*d) == *d && std::abs(*d) < 9.2e18))
                    return std::nullopt;
                key.i = static_cast<std::int64_t>(*d);
            } else {
                mismatch(c.def, value);
            }
            break;
        case FieldType::Currency:
            if (const auto* cur = std::get_if<Currency>(&value)) {
                key.i = cur->scaled;
            } else if (const auto* i = std::get_if<std::int64_t>(&value)) {
                if (__builtin_mul_overflow(*i, Currency::kScale, &key.i))
                    return std::nullopt;
            } else if (const auto* d = std::get_if<double>(&value)) {
                const auto scaled = scaledFromDouble(*d);
                if (!scaled)
                    return std::nullopt;
                key.i = *scaled;
            } else {
                mismatch(c.def, value);
            }
            break;
        case FieldType::Float:
            key.d = std::get<double>(convert(FieldDef{c.def.name, FieldType::Float, 0}, value));
            if (std::isnan(key.d))
                return std::nullopt;
            break;
        case FieldType::Date:
            if (const auto* d = std::get_if<QDate>(&value); d && d->isValid())
                key.i = d->toJulianDay();
            else
                mismatch(c.def, value);
            break;
        case FieldType::Time:
            if (const auto* t = std::get_if<QTime>(&value); t && t->isValid())
                key.i = t->msecsSinceStartOfDay();
            else
                mismatch(c.def, value);
            break;
        case FieldType::DateTime: {
            const Value v = convert(c.def, value);
            if (data::isNull(v))
                mismatch(c.def, value);
            key.i = std::get<QDateTime>(v).toMSecsSinceEpoch();
            break;
        }
        }
    }
    auto& index = indexes_[static_cast<std::size_t>(field)];
    if (!index)
        index = std::make_unique<HashIndex>(*this, field);
    return index->find(*this, key);
}

std::optional<int> MemTable::find(int field, const Value& key) const {
    if (state_ == State::Insert || state_ == State::Edit)
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

// ---------------------------------------------------------------------------------------------

void OrdenaPorTitulo(int& tag, MemTable& table, const std::string& fieldName) {
    if (tag == 0) {
        table.setIndexFieldNames(fieldName);
        tag = 1;
    } else {
        table.setIndexFieldNames(fieldName + ":D");
        tag = 0;
    }
    table.first();
}

} // namespace vorn::data
