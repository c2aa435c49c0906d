#include "data/Query.h"

#include "data/ConnectionImpl.h"
#include "data/FbStatus.h"
#include "data/FieldName.h"
#include "data/ValueText.h"
#include "platform/Codepage.h"

#include <QTime>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace vorn::data {

using fb::Status;

namespace {

// How a column's bytes in the message buffer become a Value.
enum class Decode {
    Char,    // CHAR: fixed width, trailing blanks dropped
    Octets,  // CHAR in OCTETS (binary): fixed width, kept whole
    Varchar, // VARCHAR: 16-bit length, then the bytes
    Int16,
    Int32,
    Int64,
    Scaled16, // NUMERIC/DECIMAL stored in 16, 32 or 64 bits
    Scaled32,
    Scaled64,
    Float32,
    Float64,
    Boolean,
    Date,
    Time,
    Timestamp,
    Null, // the type of a bare NULL column: always null
};

struct Column {
    Decode decode;
    unsigned offset;
    unsigned nullOffset;
    unsigned length;
    int scale; // the column's decimal scale (0 or negative)
};

constexpr unsigned kCharsetOctets = 1;

// ISC_DATE counts days from 17 November 1858, whose Julian day number is 2400001.
constexpr qint64 kIscDateJulianDay = 2400001;

template <typename T> T load(const unsigned char* p) {
    T value;
    std::memcpy(&value, p, sizeof(T));
    return value;
}

constexpr std::array<std::int64_t, 19> kPowersOfTen = {
    1LL,
    10LL,
    100LL,
    1000LL,
    10000LL,
    100000LL,
    1000000LL,
    10000000LL,
    100000000LL,
    1000000000LL,
    10000000000LL,
    100000000000LL,
    1000000000000LL,
    10000000000000LL,
    100000000000000LL,
    1000000000000000LL,
    10000000000000000LL,
    100000000000000000LL,
    1000000000000000000LL,
};

const char* typeName(unsigned type) {
    switch (type) {
    case SQL_BLOB:
        return "BLOB";
    case SQL_ARRAY:
        return "ARRAY";
    default:
        return "an unknown type";
    }
}

} // namespace

struct Query::Impl {
    Connection* connection = nullptr;
    std::string sql;
    std::vector<FieldDef> defs;
    std::vector<Column> columns;
    std::vector<unsigned char> buffer;
    std::vector<Value> current;
    Firebird::IStatement* statement = nullptr;
    Firebird::IResultSet* cursor = nullptr;
    Firebird::IMessageMetadata* metadata = nullptr;
    // The status of the row fetches, made once per open rather than once per row.
    std::unique_ptr<Status> fetchStatus;
    bool active = false;
    bool eof = true;

    FbClient& client() const { return *connection->d_->client; }

    void describe(Status& status);
    void fetch();
    void decode(std::vector<Value>& row) const;
    void releaseHandles() noexcept;
    void reset() noexcept;
    const Value& valueOf(std::string_view name) const;
    int indexOf(std::string_view name) const;
};

// --- Reading the result's columns ------------------------------------------------------------

void Query::Impl::describe(Status& status) {
    Firebird::IMessageMetadata* meta = metadata;
    const unsigned count = meta->getCount(&status);
    status.check();
    defs.clear();
    columns.clear();
    for (unsigned i = 0; i < count; ++i) {
        const unsigned type = meta->getType(&status, i) & ~1u;
        status.check();
        const int scale = meta->getScale(&status, i);
        status.check();
        const unsigned length = meta->getLength(&status, i);
        status.check();
        const unsigned offset = meta->getOffset(&status, i);
        status.check();
        const unsigned nullOffset = meta->getNullOffset(&status, i);
        status.check();
        const unsigned charset = meta->getCharSet(&status, i);
        status.check();
        std::string name = meta->getAlias(&status, i);
        status.check();
        if (name.empty()) {
            name = meta->getField(&status, i);
            status.check();
        }

        // A repeated name gets a suffix, so every field can be found by its name.
        auto taken = [&](const std::string& candidate) {
            return std::any_of(defs.begin(), defs.end(), [&](const FieldDef& def) {
                return sameFieldName(def.name, candidate);
            });
        };
        if (taken(name)) {
            int n = 1;
            while (taken(name + "_" + std::to_string(n)))
                ++n;
            name += "_" + std::to_string(n);
        }

        FieldDef def;
        def.name = name;
        Column column{Decode::Null, offset, nullOffset, length, scale};
        switch (type) {
        case SQL_TEXT:
            def.type = FieldType::Text;
            def.size = static_cast<int>(length);
            column.decode = charset == kCharsetOctets ? Decode::Octets : Decode::Char;
            break;
        case SQL_VARYING:
            def.type = FieldType::Text;
            def.size = static_cast<int>(length);
            column.decode = Decode::Varchar;
            break;
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            const bool scaled = scale < 0;
            def.type = scaled ? FieldType::Currency : FieldType::Integer;
            if (type == SQL_SHORT)
                column.decode = scaled ? Decode::Scaled16 : Decode::Int16;
            else if (type == SQL_LONG)
                column.decode = scaled ? Decode::Scaled32 : Decode::Int32;
            else
                column.decode = scaled ? Decode::Scaled64 : Decode::Int64;
            break;
        }
        case SQL_FLOAT:
            def.type = FieldType::Float;
            column.decode = Decode::Float32;
            break;
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            def.type = FieldType::Float;
            column.decode = Decode::Float64;
            break;
        case SQL_BOOLEAN:
            def.type = FieldType::Integer;
            column.decode = Decode::Boolean;
            break;
        case SQL_TYPE_DATE:
            def.type = FieldType::Date;
            column.decode = Decode::Date;
            break;
        case SQL_TYPE_TIME:
            def.type = FieldType::Time;
            column.decode = Decode::Time;
            break;
        case SQL_TIMESTAMP:
            def.type = FieldType::DateTime;
            column.decode = Decode::Timestamp;
            break;
        case SQL_NULL:
            def.type = FieldType::Integer;
            column.decode = Decode::Null;
            break;
        default:
            throw DatabaseError("Column " + name + " is of " + typeName(type) +
                                    ", which this program does not read",
                                ErrorCategory::Conversion);
        }
        defs.push_back(std::move(def));
        columns.push_back(column);
    }
    const unsigned size = meta->getMessageLength(&status);
    status.check();
    buffer.assign(size, 0);
    current.assign(columns.size(), Value{});
}

// --- Rows --------------------------------------------------------------------------------------

namespace {

Currency rescale(std::int64_t raw, int scale, const std::string& column) {
    // The amount is raw * 10^scale; a Currency holds it * 10^4.
    static_assert(Currency::kScale == 10000);
    const int shift = 4 + scale;
    if (shift >= 0) {
        std::int64_t scaled = 0;
        if (shift >= static_cast<int>(kPowersOfTen.size()) ||
            __builtin_mul_overflow(raw, kPowersOfTen[static_cast<std::size_t>(shift)], &scaled))
            throw DatabaseError("The value of column " + column +
                                    " is too large for an amount with four decimals",
                                ErrorCategory::Conversion);
        return Currency{scaled};
    }
    // More than four decimals: round half away from zero.
    if (-shift >= static_cast<int>(kPowersOfTen.size()))
        return Currency{0};
    const std::int64_t divisor = kPowersOfTen[static_cast<std::size_t>(-shift)];
    std::int64_t quotient = raw / divisor;
    const std::int64_t remainder = raw % divisor;
    if (remainder >= divisor - remainder)
        ++quotient;
    else if (-remainder >= divisor + remainder)
        --quotient;
    return Currency{quotient};
}

void setText(Value& value, const char* bytes, std::size_t size) {
    if (auto* text = std::get_if<std::string>(&value))
        text->assign(bytes, size);
    else
        value.emplace<std::string>(bytes, size);
}

} // namespace

void Query::Impl::decode(std::vector<Value>& row) const {
    row.resize(columns.size());
    const unsigned char* message = buffer.data();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        Value& v = row[i];
        if (c.decode == Decode::Null || load<std::int16_t>(message + c.nullOffset) != 0) {
            v.emplace<std::monostate>();
            continue;
        }
        const unsigned char* p = message + c.offset;
        switch (c.decode) {
        case Decode::Char: {
            std::size_t n = c.length;
            while (n > 0 && p[n - 1] == ' ')
                --n;
            setText(v, reinterpret_cast<const char*>(p), n);
            break;
        }
        case Decode::Octets:
            setText(v, reinterpret_cast<const char*>(p), c.length);
            break;
        case Decode::Varchar: {
            const std::size_t n = std::min<std::size_t>(load<std::uint16_t>(p), c.length);
            setText(v, reinterpret_cast<const char*>(p + 2), n);
            break;
        }
        case Decode::Int16:
            v.emplace<std::int64_t>(load<std::int16_t>(p));
            break;
        case Decode::Int32:
            v.emplace<std::int64_t>(load<std::int32_t>(p));
            break;
        case Decode::Int64:
            v.emplace<std::int64_t>(load<std::int64_t>(p));
            break;
        case Decode::Scaled16:
            v.emplace<Currency>(rescale(load<std::int16_t>(p), c.scale, defs[i].name));
            break;
        case Decode::Scaled32:
            v.emplace<Currency>(rescale(load<std::int32_t>(p), c.scale, defs[i].name));
            break;
        case Decode::Scaled64:
            v.emplace<Currency>(rescale(load<std::int64_t>(p), c.scale, defs[i].name));
            break;
        case Decode::Float32:
            v.emplace<double>(load<float>(p));
            break;
        case Decode::Float64:
            v.emplace<double>(load<double>(p));
            break;
        case Decode::Boolean:
            v.emplace<std::int64_t>(*p != 0 ? 1 : 0);
            break;
        case Decode::Date:
            v.emplace<QDate>(QDate::fromJulianDay(kIscDateJulianDay + load<ISC_DATE>(p)));
            break;
        case Decode::Time:
            // ISC_TIME counts tenths of a millisecond since midnight.
            v.emplace<QTime>(
                QTime::fromMSecsSinceStartOfDay(static_cast<int>(load<ISC_TIME>(p) / 10)));
            break;
        case Decode::Timestamp: {
            const auto date = QDate::fromJulianDay(kIscDateJulianDay + load<ISC_DATE>(p));
            const auto time = QTime::fromMSecsSinceStartOfDay(
                static_cast<int>(load<ISC_TIME>(p + sizeof(ISC_DATE)) / 10));
            v.emplace<QDateTime>(date, time);
            break;
        }
        case Decode::Null:
            break;
        }
    }
}

void Query::Impl::fetch() {
    if (!fetchStatus)
        fetchStatus = std::make_unique<Status>(client());
    Status& status = *fetchStatus;
    const int result = cursor->fetchNext(&status, buffer.data());
    if (result == Firebird::IStatus::RESULT_OK) {
        decode(current);
        eof = false;
        return;
    }
    status.check();
    // No more rows: the current row reads as null.
    eof = true;
    current.assign(columns.size(), Value{});
}

void Query::Impl::releaseHandles() noexcept {
    if (cursor == nullptr && statement == nullptr && metadata == nullptr)
        return;
    try {
        Status status(client());
        if (cursor != nullptr) {
            cursor->close(&status);
            if (status.failed())
                cursor->release();
        }
        if (statement != nullptr) {
            statement->free(&status);
            if (status.failed())
                statement->release();
        }
    } catch (...) {
    }
    if (metadata != nullptr)
        metadata->release();
    cursor = nullptr;
    statement = nullptr;
    metadata = nullptr;
}

void Query::Impl::reset() noexcept {
    releaseHandles();
    fetchStatus.reset();
    active = false;
    eof = true;
    defs.clear();
    columns.clear();
    current.clear();
}

int Query::Impl::indexOf(std::string_view name) const {
    return findField(defs, name);
}

const Value& Query::Impl::valueOf(std::string_view name) const {
    const int i = indexOf(name);
    if (i < 0)
        throw DatabaseError("Field " + std::string(name) + " not found", ErrorCategory::Usage);
    return current[static_cast<std::size_t>(i)];
}

// --- Query ---------------------------------------------------------------------------------------

Query::Query(Connection& connection) : d_(std::make_unique<Impl>()) {
    d_->connection = &connection;
    connection.d_->queries.push_back(this);
}

Query::~Query() {
    close();
    if (d_->connection != nullptr) {
        auto& queries = d_->connection->d_->queries;
        queries.erase(std::remove(queries.begin(), queries.end(), this), queries.end());
    }
}

void Query::detachFromConnection() noexcept {
    d_->reset();
    d_->connection = nullptr;
}

Connection& Query::connection() const {
    if (d_->connection == nullptr)
        throw DatabaseError("The query's connection no longer exists", ErrorCategory::Usage);
    return *d_->connection;
}

void Query::setSql(std::string sql) {
    d_->sql = std::move(sql);
}

void Query::setSql(const QString& sql) {
    const QByteArray bytes = platform::toAnsi(sql);
    d_->sql.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

const std::string& Query::sql() const {
    return d_->sql;
}

void Query::open() {
    if (d_->active)
        return;
    Connection::Impl& conn = *connection().d_;
    bool retried = false;
    for (;;) {
        // Only a link that existed before this open can have died since; a failed attach is
        // reported as it is.
        const bool wasAttached = conn.attachment != nullptr;
        try {
            Firebird::ITransaction* transaction = conn.transactionForQuery();
            Status status(*conn.client);
            d_->statement =
                conn.attachment->prepare(&status, transaction, 0, d_->sql.c_str(), SQL_DIALECT_V6,
                                         Firebird::IStatement::PREPARE_PREFETCH_METADATA);
            status.check();
            const unsigned type = d_->statement->getType(&status);
            status.check();
            if (type != isc_info_sql_stmt_select && type != isc_info_sql_stmt_select_for_upd)
                throw DatabaseError("The SQL text returns no rows to open: " + d_->sql,
                                    ErrorCategory::Statement);
            d_->metadata = d_->statement->getOutputMetadata(&status);
            status.check();
            d_->describe(status);
            d_->cursor =
                d_->statement->openCursor(&status, transaction, nullptr, nullptr, d_->metadata, 0);
            status.check();
            d_->active = true;
            d_->fetch();
            return;
        } catch (const DatabaseError& e) {
            d_->reset();
            if (e.lostLink())
                conn.dropLink();
            else
                conn.queryClosed();
            if (e.lostLink() && wasAttached && conn.autoReconnect && !retried) {
                retried = true;
                continue;
            }
            throw;
        }
    }
}

void Query::close() {
    if (!d_->active && d_->statement == nullptr)
        return;
    d_->reset();
    if (d_->connection != nullptr)
        d_->connection->d_->queryClosed();
}

bool Query::active() const {
    return d_->active;
}

bool Query::eof() const {
    return d_->eof;
}

void Query::next() {
    if (!d_->active || d_->eof)
        return;
    try {
        d_->fetch();
    } catch (const DatabaseError& e) {
        Connection::Impl& conn = *d_->connection->d_;
        close();
        if (e.lostLink())
            conn.dropLink();
        throw;
    }
}

const std::vector<FieldDef>& Query::fieldDefs() const {
    return d_->defs;
}

int Query::fieldCount() const {
    return static_cast<int>(d_->defs.size());
}

int Query::fieldIndex(std::string_view name) const {
    return d_->indexOf(name);
}

const Value& Query::value(int field) const {
    if (field < 0 || field >= fieldCount())
        throw DatabaseError("Field number " + std::to_string(field) + " does not exist",
                            ErrorCategory::Usage);
    return d_->current[static_cast<std::size_t>(field)];
}

const Value& Query::value(std::string_view name) const {
    return d_->valueOf(name);
}

bool Query::isNull(std::string_view name) const {
    return std::holds_alternative<std::monostate>(d_->valueOf(name));
}

std::string Query::asString(std::string_view name) const {
    return valueText(d_->valueOf(name));
}

QString Query::asQString(std::string_view name) const {
    return valueQText(d_->valueOf(name));
}

std::int64_t Query::asInteger(std::string_view name) const {
    const Value& v = d_->valueOf(name);
    if (std::holds_alternative<std::monostate>(v))
        return 0;
    if (const auto* i = std::get_if<std::int64_t>(&v))
        return *i;
    if (const auto* c = std::get_if<Currency>(&v)) {
        if (c->scaled % Currency::kScale == 0)
            return c->scaled / Currency::kScale;
    }
    if (const auto* text = std::get_if<std::string>(&v)) {
        bool ok = false;
        const qlonglong number = QByteArray::fromStdString(*text).trimmed().toLongLong(&ok, 10);
        if (ok)
            return number;
    }
    throw DatabaseError("The value of field " + std::string(name) + " is not an integer",
                        ErrorCategory::Conversion);
}

Currency Query::asCurrency(std::string_view name) const {
    const Value& v = d_->valueOf(name);
    if (std::holds_alternative<std::monostate>(v))
        return Currency{0};
    if (const auto* c = std::get_if<Currency>(&v))
        return *c;
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        std::int64_t scaled = 0;
        if (!__builtin_mul_overflow(*i, Currency::kScale, &scaled))
            return Currency{scaled};
    }
    throw DatabaseError("The value of field " + std::string(name) + " is not an amount",
                        ErrorCategory::Conversion);
}

bool Query::fetchRow(std::vector<Value>& row) {
    if (!d_->active || d_->eof)
        return false;
    // The caller's vector takes the current row; its old values become the buffer the next
    // row is decoded into, so texts reuse their storage.
    row.swap(d_->current);
    next();
    return true;
}

} // namespace vorn::data
