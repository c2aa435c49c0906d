// The library's settings file: where it is and how its values are read.

#include "support/TempDir.h"
#include "terminal/Settings.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace vorn::terminal {
namespace {

using namespace std::chrono_literals;

Settings parsed(std::string_view text) {
    auto result = parseSettings(text);
    if (auto* error = std::get_if<std::string>(&result))
        ADD_FAILURE() << *error;
    return std::get_if<Settings>(&result) ? std::get<Settings>(result) : Settings{};
}

TEST(TerminalSettings, MissingKeysGiveTheDefaults) {
    for (const char* text : {"", "[Outro]\nPorta=1\n", "[Servidor]\n"}) {
        const auto s = parsed(text);
        EXPECT_EQ(s.address, "0.0.0.0");
        EXPECT_EQ(s.port, 6500);
        EXPECT_EQ(s.keepAliveTimeout, 5000ms);
    }
}

TEST(TerminalSettings, FollowsTheRulesOfProfileFiles) {
    const auto s = parsed("; comment\r\n"
                          "[Outro]\r\nPorta=1\r\n"
                          " [ servidor ] \r\n"
                          "; Porta=2\r\n"
                          "  PORTA  =  \"7001\"  \r\n"
                          "porta=7002\r\n"
                          "endereco='127.0.0.1'\r\n"
                          "TempoVivo=0,5\r\n"
                          "[Servidor]\r\nPorta=7003\r\n");
    EXPECT_EQ(s.port, 7001) << "first section, first key";
    EXPECT_EQ(s.address, "127.0.0.1");
    EXPECT_EQ(s.keepAliveTimeout, 500ms);
    EXPECT_EQ(parsed("[Servidor]\nTempoVivo=2.25").keepAliveTimeout, 2250ms);
}

TEST(TerminalSettings, ReadsAUtf16File) {
    const std::string ascii = "[Servidor]\r\nPorta=7100\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : ascii)
        utf16 += std::string{c, '\0'};
    EXPECT_EQ(parsed(utf16).port, 7100);
}

TEST(TerminalSettings, ValuesThatCannotBeUsedAreErrors) {
    for (const char* text :
         {"[Servidor]\nPorta=0", "[Servidor]\nPorta=65536", "[Servidor]\nPorta=-1",
          "[Servidor]\nPorta=80a", "[Servidor]\nPorta=", "[Servidor]\nEndereco=localhost",
          "[Servidor]\nEndereco=1.2.3", "[Servidor]\nEndereco=256.1.1.1",
          "[Servidor]\nEndereco=::1", "[Servidor]\nTempoVivo=0", "[Servidor]\nTempoVivo=0.09",
          "[Servidor]\nTempoVivo=3601", "[Servidor]\nTempoVivo=1e3", "[Servidor]\nTempoVivo=-1",
          "[Servidor]\nTempoVivo=1.", "[Servidor]\nTempoVivo="}) {
        SCOPED_TRACE(text);
        const auto result = parseSettings(text);
        ASSERT_TRUE(std::holds_alternative<std::string>(result));
        EXPECT_NE(std::get<std::string>(result).find('='), std::string::npos)
            << "the error names the key";
    }
}

TEST(TerminalSettings, TheFileIsBesideTheExecutableUnlessTheVariableNamesOne) {
    ::unsetenv("VORN_SC501GER_INI");
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(settingsFile(), exe.parent_path() / "sc501ger.ini");
    ::setenv("VORN_SC501GER_INI", "/somewhere/else.ini", 1);
    EXPECT_EQ(settingsFile(), "/somewhere/else.ini");
    ::setenv("VORN_SC501GER_INI", "", 1);
    EXPECT_EQ(settingsFile(), exe.parent_path() / "sc501ger.ini");
    ::unsetenv("VORN_SC501GER_INI");
}

TEST(TerminalSettings, AMissingFileGivesTheDefaultsAndABadOneNamesItself) {
    test::TempDir dir;
    const auto missing = loadSettings(dir / "sc501ger.ini");
    ASSERT_TRUE(std::holds_alternative<Settings>(missing));
    EXPECT_EQ(std::get<Settings>(missing).port, 6500);

    test::writeFile(dir / "sc501ger.ini", "[Servidor]\nPorta=x\n");
    const auto bad = loadSettings(dir / "sc501ger.ini");
    ASSERT_TRUE(std::holds_alternative<std::string>(bad));
    EXPECT_NE(std::get<std::string>(bad).find((dir / "sc501ger.ini").string()), std::string::npos);
}

} // namespace
} // namespace vorn::terminal
