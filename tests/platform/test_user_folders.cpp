#include "platform/UserFolders.h"

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace vorn::platform;
using vorn::test::ScopedEnv;
using vorn::test::TempDir;

namespace {

// A home folder of the test's own, with no XDG variable set.
class UserFoldersTest : public testing::Test {
protected:
    TempDir root;
    QString home = QString::fromStdString(root.path().string()) + "/home";
    ScopedEnv homeVar{"HOME", home.toStdString()};
    ScopedEnv config{"XDG_CONFIG_HOME", std::nullopt};
    ScopedEnv data{"XDG_DATA_HOME", std::nullopt};
    ScopedEnv cache{"XDG_CACHE_HOME", std::nullopt};
    ScopedEnv state{"XDG_STATE_HOME", std::nullopt};
    ScopedEnv videos{"XDG_VIDEOS_DIR", std::nullopt};
    ScopedEnv desktop{"XDG_DESKTOP_DIR", std::nullopt};

    void writeUserDirs(const std::string& text) {
        std::filesystem::create_directories(root / "home/.config");
        vorn::test::writeFile(root / "home/.config/user-dirs.dirs", text);
    }
};

} // namespace

TEST_F(UserFoldersTest, BaseFoldersFollowTheirVariablesOnlyWhenAbsolute) {
    EXPECT_EQ(configHome(), home + "/.config");
    EXPECT_EQ(dataHome(), home + "/.local/share");
    EXPECT_EQ(cacheHome(), home + "/.cache");
    EXPECT_EQ(stateHome(), home + "/.local/state");

    ScopedEnv absolute{"XDG_CONFIG_HOME", "/srv/cfg/"};
    ScopedEnv relative{"XDG_DATA_HOME", "dados"};
    EXPECT_EQ(configHome(), "/srv/cfg");
    EXPECT_EQ(dataHome(), home + "/.local/share");
}

TEST_F(UserFoldersTest, UserDirectoriesAreReadAsXdgUserDirReadsThem) {
    writeUserDirs("# written by xdg-user-dirs-update\n"
                  "XDG_DESKTOP_DIR=\"$HOME/Área de Trabalho\"\n"
                  "XDG_DOCUMENTS_DIR=\"/srv/documentos/\"\n"
                  "XDG_PICTURES_DIR=\"imagens\"\n"
                  "XDG_TEMPLATES_DIR=\"$HOME/Modelos \\\"novos\\\" \\$1\"\n"
                  "XDG_MUSIC_DIR=\"$HOME/a\"\n"
                  "  XDG_MUSIC_DIR=\"$HOME/b\"\n"
                  "XDG_PUBLICSHARE_DIR=\"$HOME\"\n"
                  "XDG_DOWNLOAD_DIR=\"$HOMEX/y\"\n");
    ScopedEnv fromEnvironment{"XDG_DESKTOP_DIR", "/ignored/when/the/file/says"};
    ScopedEnv onlyInEnvironment{"XDG_VIDEOS_DIR", "/srv/videos"};

    struct Case {
        const char* name;
        QString expected;
    };
    const Case cases[] = {
        {"DESKTOP", home + "/Área de Trabalho"},
        {"DOCUMENTS", "/srv/documentos"},
        {"PICTURES", "fallback"}, // relative: not a folder
        {"TEMPLATES", home + "/Modelos \"novos\" $1"},
        {"MUSIC", home + "/b"}, // the last line wins, as when the shell reads the file
        {"PUBLICSHARE", home},
        {"DOWNLOAD", "fallback"},
        {"VIDEOS", "/srv/videos"},
        {"NOTHERE", "fallback"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(userDirectory(c.name, "fallback"), c.expected);
    }
}

TEST_F(UserFoldersTest, WithoutAFileTheEnvironmentAndThenTheFallbackCount) {
    ScopedEnv desktopVar{"XDG_DESKTOP_DIR", "/srv/mesa"};
    EXPECT_EQ(userDirectory("DESKTOP", "fallback"), "/srv/mesa");
    EXPECT_EQ(userDirectory("DOCUMENTS", home + "/Documents"), home + "/Documents");
}
