// The library's settings file: where it is and how its values are read.

#include "support/TempDir.h"
#include "support/Unprivileged.h"
#include "terminal/Settings.h"

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    for (const char* text : {"[Servidor]\n", "[Outro]\nPorta=1\n[servidor]\r\n", "[ Servidor ]"}) {
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

TEST(TerminalSettings, TheLimitPerAddressIs32UnlessSet) {
    EXPECT_EQ(parsed("[Servidor]\n").maxPerAddress, 32);
    EXPECT_EQ(parsed("[Servidor]\nMaxTerminaisPorEndereco=1").maxPerAddress, 1);
    EXPECT_EQ(parsed("[Servidor]\nmaxterminaisporendereco = 1024").maxPerAddress, 1024);
}

TEST(TerminalSettings, ReadsAUtf16File) {
    const std::string ascii = "[Servidor]\r\nPorta=7100\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : ascii)
        utf16 += std::string{c, '\0'};
    EXPECT_EQ(parsed(utf16).port, 7100);
}

TEST(TerminalSettings, ReadsAUtf8FileWithAByteOrderMark) {
    // As Notepad saves it: the mark right before the section's first bracket.
    const auto s = parsed("\xEF\xBB\xBF[Servidor]\r\nPorta=7100\r\nEndereco=127.0.0.1\r\n");
    EXPECT_EQ(s.port, 7100);
    EXPECT_EQ(s.address, "127.0.0.1");
}

TEST(TerminalSettings, ATextWithoutAServidorSectionIsAnError) {
    // Each of these would otherwise listen on port 6500 of every address.
    const std::string texts[] = {"",
                                 "\xEF\xBB\xBF",
                                 "Porta=7000\nEndereco=127.0.0.1\n",
                                 "[Outro]\nPorta=7000\n",
                                 "[Servidor\nPorta=7000\n",
                                 "; [Servidor]\nPorta=7000\n",
                                 "\xEF\xBB\xBF\xEF\xBB\xBF[Servidor]\nPorta=7000\n",
                                 std::string("\0[Servidor]\n", 12)};
    for (const auto& text : texts) {
        SCOPED_TRACE(text);
        const auto result = parseSettings(text);
        ASSERT_TRUE(std::holds_alternative<std::string>(result));
        EXPECT_NE(std::get<std::string>(result).find("[Servidor]"), std::string::npos)
            << "the error names the section";
    }
}

TEST(TerminalSettings, ValuesThatCannotBeUsedAreErrors) {
    for (const char* text : {"[Servidor]\nPorta=0",
                             "[Servidor]\nPorta=65536",
                             "[Servidor]\nPorta=-1",
                             "[Servidor]\nPorta=80a",
                             "[Servidor]\nPorta=",
                             "[Servidor]\nEndereco=localhost",
                             "[Servidor]\nEndereco=1.2.3",
                             "[Servidor]\nEndereco=256.1.1.1",
                             "[Servidor]\nEndereco=::1",
                             "[Servidor]\nTempoVivo=0",
                             "[Servidor]\nTempoVivo=0.09",
                             "[Servidor]\nTempoVivo=3601",
                             "[Servidor]\nTempoVivo=1e3",
                             "[Servidor]\nTempoVivo=-1",
                             "[Servidor]\nTempoVivo=1.",
                             "[Servidor]\nTempoVivo=",
                             "[Servidor]\nMaxTerminaisPorEndereco=0",
                             "[Servidor]\nMaxTerminaisPorEndereco=1025",
                             "[Servidor]\nMaxTerminaisPorEndereco=-1",
                             "[Servidor]\nMaxTerminaisPorEndereco=3x",
                             "[Servidor]\nMaxTerminaisPorEndereco=99999999999"}) {
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

TEST(TerminalSettings, AFileThatExistsButCannotBeReadIsAnErrorNotTheDefaults) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "folder.ini");
    ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0); // opening it must not block
    std::filesystem::create_symlink(dir / "loop-b.ini", dir / "loop-a.ini");
    std::filesystem::create_symlink(dir / "loop-a.ini", dir / "loop-b.ini");
    // Opens, but reading it at its start fails with an input/output error, for root too.
    const std::filesystem::path unreadable = "/proc/self/mem";
    for (const auto& file :
         {dir / "folder.ini", dir / "fifo.ini", dir / "loop-a.ini", unreadable}) {
        SCOPED_TRACE(file);
        const auto result = loadSettings(file);
        ASSERT_TRUE(std::holds_alternative<std::string>(result));
        EXPECT_NE(std::get<std::string>(result).find(file.string()), std::string::npos);
    }

    // A file without read permission, in a folder the reader may enter.
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    test::writeFile(dir / "private.ini", "[Servidor]\nEndereco=127.0.0.1\n");
    std::filesystem::permissions(dir / "private.ini", std::filesystem::perms::owner_write);
    EXPECT_TRUE(test::asUnprivilegedUser(
        [&] { return std::holds_alternative<std::string>(loadSettings(dir / "private.ini")); }));
}

} // namespace
} // namespace vorn::terminal
