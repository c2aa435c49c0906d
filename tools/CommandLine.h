#pragma once

// The small command-line parser of the terminal tools: "--name value" or "--name=value" options,
// everything else (and everything after "--") positional.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vorn::tools {

struct CommandLine {
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;
    std::string error; // not empty when the command line is malformed

    // `valued` lists the options that take a value, `flags` those that do not.
    static CommandLine parse(int argc, char** argv, const std::set<std::string>& valued,
                             const std::set<std::string>& flags);
    bool has(const std::string& name) const { return options.contains(name); }
};

// Numbers of options; nothing when the text is not one, or is out of range.
std::optional<unsigned long> parseCount(const std::string& text, unsigned long min,
                                        unsigned long max);
std::optional<double> parseSeconds(const std::string& text);

} // namespace vorn::tools
