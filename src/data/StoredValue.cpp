#include "data/StoredValue.h"

#include "data/MemTableError.h"

#include <array>
#include <cmath>
#include <string>

namespace vorn::data {

namespace {

const char* valueTypeName(const Value& v) {
    static constexpr std::array<const char*, 8> names = {
        "null",    "a text", "an integer", "a currency amount",
        "a float", "a date", "a time",     "a date and time"};
    return names[v.index()];
}

[[noreturn]] void mismatch(const FieldDef& def, const Value& v) {
    throw MemTableError(std::string("Field ") + def.name + " (" + fieldTypeName(def.type) +
                            ") cannot take " + valueTypeName(v),
                        ErrorCategory::Conversion);
}

[[noreturn]] void outOfRange(const std::string& message) {
    throw MemTableError(message, ErrorCategory::Conversion);
}

// An amount with four decimals from a double, rounded half away from zero.
std::optional<std::int64_t> scaledFromDouble(double d) {
    const double s = std::round(d * static_cast<double>(Currency::kScale));
    if (!std::isfinite(s) || s < -9.2e18 || s > 9.2e18)
        return std::nullopt;
    return static_cast<std::int64_t>(s);
}

StoredValue integerCell(std::int64_t i) {
    StoredValue s;
    s.null = false;
    s.integer = i;
    return s;
}

} // namespace

const char* fieldTypeName(FieldType t) {
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

std::optional<StoredValue> convertToStored(const FieldDef& def, const Value& v, Conversion mode) {
    const bool search = mode == Conversion::Search;
    if (data::isNull(v))
        return StoredValue{};
    switch (def.type) {
    case FieldType::Text:
        if (const auto* s = std::get_if<std::string>(&v)) {
            StoredValue out;
            out.null = false;
            out.text = *s;
            if (!search && out.text.size() > static_cast<std::size_t>(def.size))
                out.text = out.text.substr(0, static_cast<std::size_t>(def.size));
            return out;
        }
        break;
    case FieldType::Integer:
        if (const auto* i = std::get_if<std::int64_t>(&v))
            return integerCell(*i);
        if (const auto* c = std::get_if<Currency>(&v)) {
            if (c->scaled % Currency::kScale == 0)
                return integerCell(c->scaled / Currency::kScale);
            if (search)
                return std::nullopt;
        }
        if (const auto* d = std::get_if<double>(&v); d && search) {
            if (!(std::trunc(*d) == *d && std::abs(*d) < 9.2e18))
                return std::nullopt;
            return integerCell(static_cast<std::int64_t>(*d));
        }
        break;
    case FieldType::Currency:
        if (const auto* c = std::get_if<Currency>(&v))
            return integerCell(c->scaled);
        if (const auto* i = std::get_if<std::int64_t>(&v)) {
            std::int64_t scaled = 0;
            if (!__builtin_mul_overflow(*i, Currency::kScale, &scaled))
                return integerCell(scaled);
            if (search)
                return std::nullopt;
            outOfRange("Value " + std::to_string(*i) + " is too large for field " + def.name);
        }
        if (const auto* d = std::get_if<double>(&v)) {
            if (const auto scaled = scaledFromDouble(*d))
                return integerCell(*scaled);
            if (search)
                return std::nullopt;
            outOfRange("Value is out of range for field " + def.name);
        }
        break;
    case FieldType::Float: {
        StoredValue out;
        out.null = false;
        if (const auto* d = std::get_if<double>(&v))
            out.floating = *d;
        else if (const auto* i = std::get_if<std::int64_t>(&v))
            out.floating = static_cast<double>(*i);
        else if (const auto* c = std::get_if<Currency>(&v))
            out.floating = static_cast<double>(c->scaled) / static_cast<double>(Currency::kScale);
        else
            break;
        if (search && std::isnan(out.floating))
            return std::nullopt; // NaN equals nothing
        return out;
    }
    case FieldType::Date:
        if (const auto* d = std::get_if<QDate>(&v))
            return d->isValid() ? integerCell(d->toJulianDay()) : StoredValue{};
        break;
    case FieldType::Time:
        if (const auto* t = std::get_if<QTime>(&v))
            return t->isValid() ? integerCell(t->msecsSinceStartOfDay()) : StoredValue{};
        break;
    case FieldType::DateTime: {
        QDateTime stamp;
        if (const auto* dt = std::get_if<QDateTime>(&v))
            stamp = *dt;
        else if (const auto* d = std::get_if<QDate>(&v))
            stamp = d->isValid() ? d->startOfDay() : QDateTime();
        else
            break;
        if (!stamp.isValid())
            return StoredValue{};
        // The milliseconds are the search key; a stored cell keeps the date-time itself.
        StoredValue out = integerCell(search ? stamp.toMSecsSinceEpoch() : 0);
        out.stamp = std::move(stamp);
        return out;
    }
    }
    mismatch(def, v);
}

Value fromStored(const FieldDef& def, const StoredValue& s) {
    if (s.null)
        return {};
    switch (def.type) {
    case FieldType::Text:
        return std::string(s.text);
    case FieldType::Integer:
        return s.integer;
    case FieldType::Currency:
        return Currency{s.integer};
    case FieldType::Float:
        return s.floating;
    case FieldType::Date:
        return QDate::fromJulianDay(s.integer);
    case FieldType::Time:
        return QTime::fromMSecsSinceStartOfDay(static_cast<int>(s.integer));
    case FieldType::DateTime:
        return s.stamp.value_or(QDateTime());
    }
    return {};
}

} // namespace vorn::data
