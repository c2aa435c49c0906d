#include "data/ValueText.h"

#include "platform/Codepage.h"

#include <array>
#include <charconv>

namespace vorn::data {

namespace {

QString timeText(const QTime& t) {
    return t.toString(t.msec() != 0 ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"));
}

// Everything but text, which the callers read in their own encoding.
std::string plainText(const Value& v) {
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
        std::string operator()(const QTime& t) const { return timeText(t).toStdString(); }
        std::string operator()(const QDateTime& dt) const {
            if (!dt.isValid())
                return {};
            return (dt.date().toString(Qt::ISODate) + QLatin1Char(' ') + timeText(dt.time()))
                .toStdString();
        }
    };
    return std::visit(Visitor{}, v);
}

} // namespace

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

std::string valueText(const Value& value) {
    return plainText(value);
}

QString valueQText(const Value& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return platform::fromAnsi(*text);
    return QString::fromStdString(plainText(value));
}

} // namespace vorn::data
