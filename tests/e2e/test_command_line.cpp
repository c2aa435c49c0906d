// End to end: the real bpvorn's command line. --help and --version answer and end without
// starting anything: while another instance holds the guard, they still answer (a start would be
// refused), and they leave no file behind, neither the autostart entry nor anything in the program
// folder. An unknown argument is refused with the usage and exit code 2.

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include "platform/SingleInstanceGuard.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vorn::test;

namespace {

namespace fs = std::filesystem;

// A program folder with bpvorn and its library, and a home and runtime folder of its own.
class Folder {
public:
    Folder() {
        fs::create_directories(dir_ / "app");
        fs::create_directories(dir_ / "home");
        fs::create_directories(dir_ / "runtime");
        fs::permissions(dir_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        for (const char* file : {"bpvorn", "libsc501ger.so"})
            fs::copy_file(fs::path(VORN_TEST_BIN_DIR) / file, dir_ / "app" / file);
    }

    QString runtime() const { return q(dir_ / "runtime"); }

    struct Run {
        int code;
        std::string out;
        std::string err;
    };
    // Runs bpvorn with `arguments` and no display at all: an option must not need one.
    Run run(const QStringList& arguments) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& name : env.keys())
            if (name.startsWith("SSH_") || name.startsWith("VORN_") || name == "DISPLAY" ||
                name == "WAYLAND_DISPLAY" || name == "XRDP_SESSION" || name == "QT_QPA_PLATFORM")
                env.remove(name);
        env.insert("HOME", q(dir_ / "home"));
        env.insert("XDG_CONFIG_HOME", q(dir_ / "home" / ".config"));
        env.insert("XDG_RUNTIME_DIR", runtime());
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(q(dir_ / "app" / "bpvorn"), arguments);
        if (!p.waitForFinished(15000)) {
            p.kill();
            p.waitForFinished(5000);
            return {-1, "", "did not end"};
        }
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
    }

    // Every file under the folder except the program's own two.
    std::vector<std::string> writtenFiles() const {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
            const std::string name = entry.path().filename().string();
            if (entry.is_regular_file() && name != "bpvorn" && name != "libsc501ger.so")
                files.push_back(fs::relative(entry.path(), dir_.path()).string());
        }
        return files;
    }

private:
    TempDir dir_;
};

const char* const kRefusal = "O Sistema VORN já está em execução nesta máquina";

TEST(BpvornCommandLine, HelpAndVersionAnswerWhileAnotherInstanceHoldsTheGuard) {
    Folder folder;
    // This process holds the guard of the session, as a running server would.
    ScopedEnv runtime("XDG_RUNTIME_DIR", folder.runtime().toStdString());
    vorn::platform::SingleInstanceGuard guard;
    ASSERT_TRUE(guard.tryAcquire(QStringLiteral("BPVORN")));

    struct Case {
        QStringList arguments;
        const char* expectedOut;
    };
    for (const Case& c : {Case{{"--help"}, "Uso: bpvorn [--help | --version]\n"},
                          Case{{"-h"}, "Uso: bpvorn [--help | --version]\n"},
                          Case{{"--version"}, "bpvorn " VORN_VERSION "\n"},
                          Case{{"-V"}, "bpvorn " VORN_VERSION "\n"}}) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const auto r = folder.run(c.arguments);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.out.rfind(c.expectedOut, 0), 0u) << r.out;
        EXPECT_EQ(r.err, "");
    }

    // Without arguments the same program starts, meets the guard and is refused: the answers
    // above did not come from an instance that had started.
    const auto start = folder.run({});
    EXPECT_EQ(start.code, 0);
    EXPECT_NE(start.err.find(kRefusal), std::string::npos) << start.err;
    EXPECT_EQ(start.out, "");
}

TEST(BpvornCommandLine, OptionsLeaveNoFileBehind) {
    Folder folder;
    for (const QStringList& arguments :
         {QStringList{"--help"}, QStringList{"--version"}, QStringList{"--porta"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        folder.run(arguments);
        // No autostart entry, no guard file, no settings file, no Temp folder.
        EXPECT_EQ(folder.writtenFiles(), std::vector<std::string>{});
    }
}

TEST(BpvornCommandLine, AnUnknownArgumentPrintsTheUsageAndEndsWithCodeTwo) {
    Folder folder;
    for (const QStringList& arguments :
         {QStringList{"--porta", "6600"}, QStringList{"--help", "x"}, QStringList{"-platform"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const auto r = folder.run(arguments);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("bpvorn: argumento não reconhecido: '", 0), 0u) << r.err;
        EXPECT_NE(r.err.find("Uso: bpvorn [--help | --version]"), std::string::npos) << r.err;
    }
}

} // namespace
