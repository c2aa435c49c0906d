#include "common/CriaAtalho.h"

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

using vorn::common::CriaAtalho;
using vorn::test::readFile;
using vorn::test::ScopedEnv;
using vorn::test::TempDir;
using vorn::test::writeFile;
namespace fs = std::filesystem;

namespace {

QString q(const fs::path& p) {
    return QString::fromStdString(p.string());
}

std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A user of the test's own: its home folder exists and is empty; no XDG variable is set.
class CriaAtalhoTest : public testing::Test {
protected:
    TempDir root;
    fs::path home = root / "home";
    ScopedEnv homeVar{"HOME", home.string()};
    ScopedEnv config{"XDG_CONFIG_HOME", std::nullopt};
    ScopedEnv data{"XDG_DATA_HOME", std::nullopt};
    ScopedEnv cache{"XDG_CACHE_HOME", std::nullopt};
    ScopedEnv state{"XDG_STATE_HOME", std::nullopt};
    ScopedEnv desktop{"XDG_DESKTOP_DIR", std::nullopt};
    ScopedEnv documents{"XDG_DOCUMENTS_DIR", std::nullopt};
    ScopedEnv pictures{"XDG_PICTURES_DIR", std::nullopt};
    ScopedEnv templates{"XDG_TEMPLATES_DIR", std::nullopt};

    void SetUp() override { fs::create_directories(home); }

    fs::path autostart() const { return home / ".config/autostart"; }

    // The server's own call: its program file, no arguments, its folder, the autostart folder.
    void createServerEntry(const QString& program) {
        CriaAtalho(program, QString(), program.left(program.lastIndexOf('/') + 1),
                   "VORN Rarud Erevur", QString(), 6);
    }
};

} // namespace

TEST_F(CriaAtalhoTest, TheServersAutostartEntryInAFreshHome) {
    createServerEntry("/opt/Sistema VORN/bpvorn");

    const fs::path entry = autostart() / "VORN Rarud Erevur.desktop";
    ASSERT_TRUE(fs::exists(entry)) << "~/.config and its autostart folder did not exist before";
    EXPECT_EQ(readFile(entry), "[Desktop Entry]\n"
                               "Type=Application\n"
                               "Name=VORN Rarud Erevur\n"
                               "Exec=\"/opt/Sistema VORN/bpvorn\"\n"
                               "Path=/opt/Sistema VORN/\n"
                               "Terminal=false\n"
                               "X-GNOME-Autostart-Delay=3\n");
    // Folders made for the user's configuration are the user's alone.
    struct stat st {};
    ASSERT_EQ(::stat((home / ".config").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
    // Desktops start a launcher from the desktop folder only when it is executable.
    ASSERT_EQ(::stat(entry.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0111, 0111u);
}

TEST_F(CriaAtalhoTest, EveryStartRewritesTheOneEntryAndLeavesNothingElse) {
    createServerEntry("/opt/SistemaVORN/bpvorn");
    createServerEntry("/srv/loja/bpvorn");

    EXPECT_EQ(entriesOf(autostart()), std::vector<std::string>{"VORN Rarud Erevur.desktop"});
    const std::string text = readFile(autostart() / "VORN Rarud Erevur.desktop");
    EXPECT_NE(text.find("\nExec=/srv/loja/bpvorn\nPath=/srv/loja/\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("/opt/"), std::string::npos) << text;
}

TEST_F(CriaAtalhoTest, EachLocationCodeWritesIntoItsFolder) {
    // The desktop comes from user-dirs.dirs, as on a Portuguese desktop.
    fs::create_directories(home / ".config");
    writeFile(home / ".config/user-dirs.dirs",
              "XDG_DESKTOP_DIR=\"$HOME/Área de Trabalho\"\nXDG_PICTURES_DIR=\"$HOME/Imagens\"\n");
    const std::map<int, std::string> folders = {
        {2, "Templates"},
        {3, ".config"},
        {4, ".local/share/applications"},
        {5, ".local/share/applications"},
        {6, ".config/autostart"},
        {7, ".local/share/fonts"},
        {8, ".local/share/applications"},
        {9, ".local/state"},
        {10, ".local/share"},
        {11, ".cache"},
        {12, ".local/share"},
        {13, ".local/state"},
        {14, ".local/share"},
        {15, "Documents"},
        {16, ".local/share"},
        {17, ".local/share"},
        {18, "Imagens"},
        {19, ".local/share/applications"},
    };
    for (int code = 0; code <= 255; ++code) {
        const auto known = folders.find(code);
        const std::string folder = known != folders.end() ? known->second : "Área de Trabalho";
        const std::string name = "code " + std::to_string(code);
        CriaAtalho("/opt/SistemaVORN/bpvorn", QString(), "/opt/SistemaVORN/",
                   QString::fromStdString(name), QString(), static_cast<std::uint8_t>(code));
        EXPECT_TRUE(fs::exists(home / folder / (name + ".desktop"))) << "code " << code;
    }
}

TEST_F(CriaAtalhoTest, XdgVariablesMoveTheFolders) {
    ScopedEnv configVar{"XDG_CONFIG_HOME", (root / "cfg").string()};
    ScopedEnv dataVar{"XDG_DATA_HOME", (root / "dados").string()};
    CriaAtalho("/opt/SistemaVORN/bpvorn", QString(), "/opt/SistemaVORN/", "A", QString(), 6);
    CriaAtalho("/opt/SistemaVORN/bpvorn", QString(), "/opt/SistemaVORN/", "B", QString(), 5);
    EXPECT_TRUE(fs::exists(root / "cfg/autostart/A.desktop"));
    EXPECT_TRUE(fs::exists(root / "dados/applications/B.desktop"));
}

TEST_F(CriaAtalhoTest, TheSubfolderIsJoinedWithoutASeparatorBeforeTheLinkName) {
    struct Case {
        const char* subfolder;
        std::vector<std::string> autostartEntries; // what the autostart folder then holds
        const char* entry;                         // where the entry lies, "" when nowhere
    };
    const Case cases[] = {
        {"", {"VORN.desktop"}, "VORN.desktop"},
        {"Sub", {"Sub", "SubVORN.desktop"}, "SubVORN.desktop"},
        {"Sub/", {"Sub"}, "Sub/VORN.desktop"},
        {"A/B/", {}, ""}, // only one folder level is made: A is missing, so nothing is written
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("subfolder \"") + c.subfolder + "\"");
        fs::remove_all(autostart());
        CriaAtalho("/opt/SistemaVORN/bpvorn", QString(), "/opt/SistemaVORN/", "VORN", c.subfolder,
                   6);
        EXPECT_EQ(entriesOf(autostart()), c.autostartEntries);
        if (*c.entry) {
            EXPECT_TRUE(fs::is_regular_file(autostart() / c.entry));
        }
    }
}

TEST_F(CriaAtalhoTest, AnEntryThatCannotBeWrittenIsSilentlyMissing) {
    // The autostart "folder" is a file: nothing can go into it; no exception, no message.
    fs::create_directories(home / ".config");
    writeFile(autostart(), "not a folder");
    EXPECT_NO_THROW(createServerEntry("/opt/SistemaVORN/bpvorn"));
    EXPECT_EQ(readFile(autostart()), "not a folder");
    EXPECT_EQ(entriesOf(home / ".config"), std::vector<std::string>{"autostart"});
}

// The entry as a desktop starts it: GLib's launcher reads the file, undoes the quoting and runs the
// program in the working folder. The program here records its folder and its arguments.
TEST_F(CriaAtalhoTest, TheDesktopStartsTheProgramWithTheseExactArguments) {
    const QString gio = QStandardPaths::findExecutable("gio");
    if (gio.isEmpty())
        GTEST_SKIP() << "no gio launcher on this machine";

    // No "%" in the program's path: GLib looks the program up before it undoes the "%%".
    const fs::path programFolder = root / "Sistema $VORN (loja) 'n\\o";
    fs::create_directories(programFolder);
    const fs::path program = programFolder / "bp vorn";
    const fs::path record = root / "record";
    writeFile(program, "#!/bin/sh\n"
                       "pwd > '" +
                           record.string() +
                           ".tmp'\n"
                           "for a in \"$@\"; do printf '[%s]\\n' \"$a\" >> '" +
                           record.string() +
                           ".tmp'; done\n"
                           "mv '" +
                           record.string() + ".tmp' '" + record.string() + "'\n");
    fs::permissions(program, fs::perms::owner_all);

    const QString arguments = QString::fromUtf8(
        R"(simples "duas palavras" 100% a\"b c:\pasta\ $HOME 'aspas' "" `x` ~ "fim\\")"
        "\tção");
    CriaAtalho(q(program), arguments, q(programFolder) + "/", "Teste", QString(), 0);
    const fs::path entry = home / "Desktop/Teste.desktop";
    ASSERT_TRUE(fs::exists(entry));

    QProcess launch;
    launch.start(gio, {"launch", q(entry)});
    ASSERT_TRUE(launch.waitForFinished(10000));
    ASSERT_EQ(launch.exitCode(), 0) << launch.readAllStandardError().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(record); }, 10000));

    EXPECT_EQ(readFile(record), programFolder.string() + "\n"
                                                         "[simples]\n"
                                                         "[duas palavras]\n"
                                                         "[100%]\n"
                                                         "[a\"b]\n"
                                                         "[c:\\pasta\\]\n"
                                                         "[$HOME]\n"
                                                         "['aspas']\n"
                                                         "[]\n"
                                                         "[`x`]\n"
                                                         "[~]\n"
                                                         "[fim\\]\n"
                                                         "[ção]\n");
}
