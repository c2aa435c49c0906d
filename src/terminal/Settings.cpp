#include "terminal/Settings.h"

#include <arpa/inet.h>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

namespace vorn::terminal {

namespace {

constexpr std::string_view kSection = "Servidor";

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// A file that starts with a UTF-16 LE byte-order mark holds UTF-16; the names and values this
// file may use are all ASCII, so each code unit becomes one byte.
std::string narrow(std::string_view bytes) {
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE)
        return std::string(bytes);
    std::string out;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const unsigned unit =
            static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += unit < 0x100 ? static_cast<char>(unit) : '?';
    }
    return out;
}

// The values of the first [Servidor] section, first occurrence of each key.
std::vector<std::pair<std::string_view, std::string_view>> sectionValues(std::string_view text) {
    std::vector<std::pair<std::string_view, std::string_view>> values;
    bool inSection = false;
    bool sectionSeen = false;
    while (!text.empty()) {
        const auto lf = text.find('\n');
        const auto line = trim(text.substr(0, lf));
        text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            const bool ours = close != std::string_view::npos &&
                              sameName(trim(line.substr(1, close - 1)), kSection);
            inSection = ours && !sectionSeen;
            sectionSeen = sectionSeen || ours;
            continue;
        }
        const auto eq = line.find('=');
        if (!inSection || eq == std::string_view::npos)
            continue;
        auto value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        values.emplace_back(trim(line.substr(0, eq)), value);
    }
    return values;
}

std::optional<std::string_view>
lookup(const std::vector<std::pair<std::string_view, std::string_view>>& values,
       std::string_view key) {
    for (const auto& [name, value] : values)
        if (sameName(name, key))
            return value;
    return std::nullopt;
}

bool allDigits(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Seconds with an optional fraction ("5", "0.5", "0,5") as milliseconds.
std::optional<long long> parseSeconds(std::string_view s) {
    const auto sep = s.find_first_of(".,");
    const auto whole = s.substr(0, sep);
    auto fraction = sep == std::string_view::npos ? std::string_view() : s.substr(sep + 1);
    if (whole.size() > 7 || !allDigits(whole) ||
        (sep != std::string_view::npos && !allDigits(fraction)))
        return std::nullopt;
    long long ms = std::atoll(std::string(whole).c_str()) * 1000;
    long long scale = 100;
    for (char c : fraction) {
        ms += (c - '0') * scale;
        scale /= 10;
    }
    return ms;
}

} // namespace

std::filesystem::path settingsFile() {
    if (const char* env = std::getenv("VORN_SC501GER_INI"); env != nullptr && *env != '\0')
        return env;
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (ec ? std::filesystem::current_path(ec) : exe.parent_path()) / "sc501ger.ini";
}

std::variant<Settings, std::string> parseSettings(std::string_view bytes) {
    const std::string text = narrow(bytes);
    const auto values = sectionValues(text);
    Settings s;
    if (const auto port = lookup(values, "Porta")) {
        unsigned value = 0;
        if (!allDigits(*port) || port->size() > 5 ||
            std::from_chars(port->data(), port->data() + port->size(), value).ec != std::errc() ||
            value < 1 || value > 65535)
            return "Porta=" + std::string(*port) + " is not a port number (1 to 65535)";
        s.port = static_cast<std::uint16_t>(value);
    }
    if (const auto address = lookup(values, "Endereco")) {
        in_addr parsed{};
        if (inet_pton(AF_INET, std::string(*address).c_str(), &parsed) != 1)
            return "Endereco=" + std::string(*address) + " is not an IPv4 address";
        s.address = std::string(*address);
    }
    if (const auto timeout = lookup(values, "TempoVivo")) {
        const auto ms = parseSeconds(*timeout);
        if (!ms || *ms < 100 || *ms > 3'600'000)
            return "TempoVivo=" + std::string(*timeout) +
                   " is not a number of seconds (0.1 to 3600)";
        s.keepAliveTimeout = std::chrono::milliseconds(*ms);
    }
    return s;
}

std::variant<Settings, std::string> loadSettings(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::error_code ec;
        if (!std::filesystem::exists(file, ec) && !ec)
            return Settings{};
        return "cannot read " + file.string();
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto result = parseSettings(bytes);
    if (auto* error = std::get_if<std::string>(&result))
        *error = file.string() + ": " + *error;
    return result;
}

} // namespace vorn::terminal
