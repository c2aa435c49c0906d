#include "terminal/Settings.h"

#include "terminal/UniqueFd.h"
#include "terminal/sc501ger.h"

#include <arpa/inet.h>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vorn::terminal {

namespace {

constexpr std::string_view kSection = "Servidor";
// Far more than any settings file holds; a larger file is not read whole.
constexpr std::size_t kMaxFileSize = 1 << 20;

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

// Settings files come from Windows editors too. A file that starts with a UTF-8 byte-order mark
// (what Notepad writes) holds UTF-8: the mark goes, and the ASCII names and values this file uses
// read as they are. A file that starts with a UTF-16 LE byte-order mark holds UTF-16: each code
// unit becomes one byte.
std::string narrow(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return std::string(bytes.substr(3));
    if (!bytes.starts_with("\xFF\xFE"))
        return std::string(bytes);
    std::string out;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const unsigned unit =
            static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += unit < 0x100 ? static_cast<char>(unit) : '?';
    }
    return out;
}

using Values = std::vector<std::pair<std::string_view, std::string_view>>;

// The values of the first [Servidor] section, first occurrence of each key; nothing when the text
// has no such section.
std::optional<Values> sectionValues(std::string_view text) {
    Values values;
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
    if (!sectionSeen)
        return std::nullopt;
    return values;
}

std::optional<std::string_view> lookup(const Values& values, std::string_view key) {
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
    const auto section = sectionValues(text);
    if (!section)
        return "no [" + std::string(kSection) +
               "] section; the server does not start rather than listen on the default address";
    const Values& values = *section;
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
    if (const auto limit = lookup(values, "MaxTerminaisPorEndereco")) {
        int value = 0;
        if (!allDigits(*limit) || limit->size() > 4 ||
            std::from_chars(limit->data(), limit->data() + limit->size(), value).ec !=
                std::errc() ||
            value < 1 || value > SC501GER_MAX_TERMINALS)
            return "MaxTerminaisPorEndereco=" + std::string(*limit) +
                   " is not a number from 1 to " + std::to_string(SC501GER_MAX_TERMINALS);
        s.maxPerAddress = value;
    }
    return s;
}

std::variant<Settings, std::string> loadSettings(const std::filesystem::path& file) {
    const auto failed = [&](const std::string& why) {
        return file.string() + ": " + why +
               "; the server does not start rather than listen on the default address";
    };
    // O_NONBLOCK: a FIFO in the file's place must not hang the program's thread.
    const UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd) {
        if (errno == ENOENT)
            return Settings{};
        return failed(std::string("cannot be read: ") + std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return failed(std::string("cannot be read: ") + std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        return failed("is a folder, not a file");
    if (!S_ISREG(info.st_mode))
        return failed("is not a regular file");
    std::string bytes;
    char chunk[4096];
    for (;;) {
        const auto got = ::read(fd.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failed(std::string("cannot be read: ") + std::strerror(errno));
        if (got == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(got));
        if (bytes.size() > kMaxFileSize)
            return failed("is too large for a settings file");
    }
    auto result = parseSettings(bytes);
    if (auto* error = std::get_if<std::string>(&result))
        *error = file.string() + ": " + *error;
    return result;
}

} // namespace vorn::terminal
