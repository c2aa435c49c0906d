#pragma once

// The library's own settings file, sc501ger.ini: where it listens and how long a terminal may
// leave a keep-alive unanswered.

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
};

// VORN_SC501GER_INI when set and not empty, else sc501ger.ini in the folder of the running
// executable.
std::filesystem::path settingsFile();

// Reads the [Servidor] section of a settings file's bytes with the rules of profile files: names
// without regard to case, the first section and key win, blanks around names and values and one
// pair of quotes around a value removed, ";" comment lines, CR LF or LF. A missing key gives its
// default; a value that cannot be used gives an error text.
std::variant<Settings, std::string> parseSettings(std::string_view bytes);

// The settings of a file; a missing file gives the defaults.
std::variant<Settings, std::string> loadSettings(const std::filesystem::path& file);

} // namespace vorn::terminal
