#pragma once

// The library's own settings file, sc501ger.ini: where it listens, how long a terminal may leave
// a keep-alive unanswered and how many terminals one address may connect.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>

namespace vorn::terminal {

struct Settings {
    std::string address = "0.0.0.0";
    std::uint16_t port = 6500;
    std::chrono::milliseconds keepAliveTimeout{5000};
    // Connections one client address may hold at once, so one host cannot take every slot.
    int maxPerAddress = 32;
};

// VORN_SC501GER_INI when set and not empty, else sc501ger.ini in the folder of the running
// executable.
std::filesystem::path settingsFile();

// Reads the [Servidor] section of a settings file's bytes with the rules of profile files: names
// without regard to case, the first section and key win, blanks around names and values and one
// pair of quotes around a value removed, ";" comment lines, CR LF or LF; a UTF-8 or UTF-16 LE
// byte-order mark is understood. A missing key gives its default; a value that cannot be used,
// or a text without a [Servidor] section, gives an error text: the server must then not start
// instead of listening where nobody asked it to.
std::variant<Settings, std::string> parseSettings(std::string_view bytes);

// The settings of a file; a missing file gives the defaults. A file that exists but cannot be
// read (no permission, a folder, not a regular file) gives an error text naming it.
std::variant<Settings, std::string> loadSettings(const std::filesystem::path& file);

} // namespace vorn::terminal
