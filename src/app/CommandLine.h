#pragma once

// The program's command line. bpvorn takes no options for its work: everything it serves comes
// from the settings files of its folder. It answers --help and --version so a technician can ask
// what it is without starting a second server; any other argument is refused with the usage.

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::app {

enum class CommandLineAction {
    Run,     // no arguments: start the server
    Help,    // -h, --help
    Version, // -V, --version
    Invalid, // anything else
};

struct CommandLine {
    CommandLineAction action = CommandLineAction::Run;
    std::string offending; // the first argument that was not understood (Invalid only)
};

// The action asked for by the arguments after the program name. The first argument decides;
// --help and --version take nothing after them, so "--help x" is Invalid.
CommandLine parseCommandLine(const std::vector<std::string_view>& arguments);

// The usage text (in Portuguese, like every text of the program).
std::string usageText();

// The version line: "bpvorn <project version>".
std::string versionText();

// Handles argv before anything else of the program runs (no QApplication, no guard, no files).
// Prints the help or version to `out`, or the complaint and the usage to `err`, and gives the exit
// code (0, or 2 for an argument that was not understood); gives nothing when the server is to run.
std::optional<int> handleCommandLine(int argc, const char* const* argv, std::ostream& out,
                                     std::ostream& err);

} // namespace vorn::app
