// The command line: which arguments start the server, which answer and end, which are refused.

#include "app/CommandLine.h"

#include <gtest/gtest.h>
#include <sstream>

using vorn::app::CommandLineAction;

namespace {

struct Case {
    std::vector<const char*> argv; // after the program name
    CommandLineAction action;
    const char* offending;
};

class ParseCommandLine : public ::testing::TestWithParam<Case> {};

TEST_P(ParseCommandLine, GivesTheActionAndTheOffendingArgument) {
    const Case& c = GetParam();
    std::vector<std::string_view> arguments(c.argv.begin(), c.argv.end());
    const auto line = vorn::app::parseCommandLine(arguments);
    EXPECT_EQ(line.action, c.action);
    EXPECT_EQ(line.offending, c.offending);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCommandLine,
    ::testing::Values(Case{{}, CommandLineAction::Run, ""},
                      Case{{"--help"}, CommandLineAction::Help, ""},
                      Case{{"-h"}, CommandLineAction::Help, ""},
                      Case{{"--version"}, CommandLineAction::Version, ""},
                      Case{{"-V"}, CommandLineAction::Version, ""},
                      // Nothing may follow: the program takes no arguments for its work.
                      Case{{"--help", "extra"}, CommandLineAction::Invalid, "extra"},
                      Case{{"--version", "--help"}, CommandLineAction::Invalid, "--help"},
                      // Options are matched whole and with their case.
                      Case{{"--HELP"}, CommandLineAction::Invalid, "--HELP"},
                      Case{{"--helpx"}, CommandLineAction::Invalid, "--helpx"},
                      Case{{"-v"}, CommandLineAction::Invalid, "-v"},
                      Case{{"--"}, CommandLineAction::Invalid, "--"},
                      Case{{""}, CommandLineAction::Invalid, ""},
                      // Qt's own options are not the program's: with them it would start.
                      Case{{"-platform", "offscreen"}, CommandLineAction::Invalid, "-platform"},
                      Case{{"Conexao.ini"}, CommandLineAction::Invalid, "Conexao.ini"}));

struct Handled {
    std::optional<int> code;
    std::string out;
    std::string err;
};

Handled handle(std::vector<const char*> argv) {
    argv.insert(argv.begin(), "/opt/vorn-rarud-erevur/bpvorn");
    std::ostringstream out;
    std::ostringstream err;
    const auto code =
        vorn::app::handleCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
}

TEST(HandleCommandLine, NoArgumentsLetsTheServerStartAndPrintsNothing) {
    const Handled h = handle({});
    EXPECT_FALSE(h.code.has_value());
    EXPECT_EQ(h.out, "");
    EXPECT_EQ(h.err, "");
}

TEST(HandleCommandLine, HelpAndVersionGoToStandardOutputWithCodeZero) {
    const Handled help = handle({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out, vorn::app::usageText());
    EXPECT_EQ(help.err, "");
    EXPECT_NE(help.out.find("Uso: bpvorn [--help | --version]"), std::string::npos);

    const Handled version = handle({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("bpvorn ") + VORN_VERSION + "\n");
    EXPECT_EQ(version.err, "");
}

TEST(HandleCommandLine, AnUnknownArgumentGoesToStandardErrorWithTheUsageAndCodeTwo) {
    const Handled h = handle({"--porta", "6600"});
    EXPECT_EQ(h.code, 2);
    EXPECT_EQ(h.out, "");
    EXPECT_EQ(h.err, "bpvorn: argumento não reconhecido: '--porta'\n\n" + vorn::app::usageText());
}

} // namespace
