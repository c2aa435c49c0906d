#include "CommandLine.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace vorn::tools {

CommandLine CommandLine::parse(int argc, char** argv, const std::set<std::string>& valued,
                               const std::set<std::string>& flags) {
    CommandLine c;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            c.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> value;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (flags.contains(name) && !value) {
            c.options[name] = "";
        } else if (valued.contains(name)) {
            if (!value && i + 1 >= argc) {
                c.error = "--" + name + " needs a value";
                return c;
            }
            c.options[name] = value ? *value : argv[++i];
        } else {
            c.error = "unknown option --" + name;
            return c;
        }
    }
    return c;
}

std::optional<unsigned long> parseCount(const std::string& text, unsigned long min,
                                        unsigned long max) {
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min ||
        value > max)
        return std::nullopt;
    return value;
}

std::optional<double> parseSeconds(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value) || value < 0 ||
        value > 86400)
        return std::nullopt;
    return value;
}

} // namespace vorn::tools
