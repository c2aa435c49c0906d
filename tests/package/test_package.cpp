// The Debian package, built with cpack from this build tree into a temporary folder, then taken
// apart with dpkg-deb: its name, control fields and dependencies, the exact list of files with
// their modes, the maintainer scripts, the systemd user unit (systemd-analyze verify), the desktop
// entry (desktop-file-validate), the settings templates read by the program's own readers, and
// the packaged executable answering --version from the unpacked program folder.

#include "support/TempDir.h"

#include "config/ConexaoBanco.h"
#include "terminal/Settings.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace vorn::test;

namespace {

namespace fs = std::filesystem;

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

Result run(const QString& program, const QStringList& arguments,
           const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    Result r;
    if (!p.waitForStarted(10000)) {
        r.err = "cannot start " + program.toStdString();
        return r;
    }
    if (!p.waitForFinished(240000)) {
        p.kill();
        p.waitForFinished(5000);
        r.err = program.toStdString() + " did not end";
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

const char* const kProgramFolder = "/opt/vorn-rarud-erevur/";
const char* const kUnit = "usr/lib/systemd/user/vorn-rarud-erevur.service";
const char* const kDesktop = "usr/share/applications/vorn-rarud-erevur.desktop";

// One package for the whole suite: building it takes a few seconds.
class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        const Result arch = run("dpkg", {"--print-architecture"});
        ASSERT_EQ(arch.code, 0) << arch.err;
        deb_ = (*dir_ / ("vorn-rarud-erevur_" VORN_VERSION "_" +
                         QString::fromStdString(arch.out).trimmed().toStdString() + ".deb"))
                   .string();
        const Result cpack =
            run(VORN_CPACK_COMMAND, {"--config", VORN_CPACK_CONFIG, "-B", q(dir_->path())});
        ASSERT_EQ(cpack.code, 0) << cpack.out << cpack.err;
        ASSERT_TRUE(fs::exists(deb_)) << cpack.out;
        root_ = *dir_ / "root";
        control_ = *dir_ / "control";
        ASSERT_EQ(run("dpkg-deb", {"-x", q(deb_), q(root_)}).code, 0);
        ASSERT_EQ(run("dpkg-deb", {"-e", q(deb_), q(control_)}).code, 0);
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override {
        if (!fs::exists(deb_))
            GTEST_SKIP() << "the package was not built";
    }

    static std::string field(const char* name) {
        const Result r = run("dpkg-deb", {"-f", q(deb_), name});
        return QString::fromStdString(r.out).trimmed().toStdString();
    }

    static TempDir* dir_;
    static fs::path deb_;
    static fs::path root_;
    static fs::path control_;
};

TempDir* Package::dir_ = nullptr;
fs::path Package::deb_;
fs::path Package::root_;
fs::path Package::control_;

TEST_F(Package, ControlFieldsNameTheProgramAndEveryRunTimeDependency) {
    EXPECT_EQ(field("Package"), "vorn-rarud-erevur");
    EXPECT_EQ(field("Version"), VORN_VERSION);
    EXPECT_FALSE(field("Maintainer").empty());
    EXPECT_FALSE(field("Description").empty());

    // Depends as a set of package names (versions aside).
    std::set<std::string> depends;
    for (const QString& item : QString::fromStdString(field("Depends")).split(',')) {
        const QString name = item.trimmed().section(' ', 0, 0);
        if (!name.isEmpty())
            depends.insert(name.toStdString());
    }
    // Found by dpkg-shlibdeps in the executables: Qt, OpenSSL, the C and C++ libraries, X11 (the
    // Caps Lock state). Given by hand: the Firebird client (loaded at run time), Qt's SVG plugins
    // (the icon), adduser (the maintainer scripts).
    for (const char* needed : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libssl3", "libc6",
                               "libstdc++6", "libx11-6", "libfbclient2", "libqt6svg6", "adduser"})
        EXPECT_EQ(depends.count(needed), 1u) << needed << " missing from " << field("Depends");
    // Nothing of the build: no compiler, no -dev package, no test tool.
    for (const std::string& name : depends)
        EXPECT_EQ(name.find("-dev"), std::string::npos) << name;
}

TEST_F(Package, HoldsExactlyTheProgramFolderServiceEntryIconAndDocuments) {
    const Result listing = run("dpkg-deb", {"-c", q(deb_)});
    ASSERT_EQ(listing.code, 0) << listing.err;
    // "drwxr-xr-x root/root 0 2026-01-01 00:00 ./path[ -> target]"
    const QRegularExpression line(R"(^(\S+)\s+(\S+)\s+\d+\s+\S+\s+\S+\s+\./(\S*?)(?: -> (\S+))?$)");
    std::map<std::string, std::string> entries; // path -> mode (and link target)
    for (const QString& text :
         QString::fromStdString(listing.out).split('\n', Qt::SkipEmptyParts)) {
        const auto m = line.match(text);
        ASSERT_TRUE(m.hasMatch()) << text.toStdString();
        EXPECT_EQ(m.captured(2), "root/root") << text.toStdString();
        if (m.captured(1).startsWith('d'))
            continue;
        std::string value = m.captured(1).toStdString();
        if (!m.captured(4).isEmpty())
            value += " -> " + m.captured(4).toStdString();
        entries[m.captured(3).toStdString()] = value;
    }
    const std::map<std::string, std::string> expected = {
        {"opt/vorn-rarud-erevur/bpvorn", "-rwxr-xr-x"},
        {"opt/vorn-rarud-erevur/libsc501ger.so", "-rw-r--r--"},
        {"usr/bin/bpvorn", "lrwxrwxrwx -> /opt/vorn-rarud-erevur/bpvorn"},
        {kUnit, "-rw-r--r--"},
        {kDesktop, "-rw-r--r--"},
        {"usr/share/icons/hicolor/scalable/apps/vorn-rarud-erevur.svg", "-rw-r--r--"},
        {"usr/share/vorn-rarud-erevur/sc501ger.ini", "-rw-r--r--"},
        {"usr/share/doc/vorn-rarud-erevur/guia-do-tecnico.md", "-rw-r--r--"},
        {"usr/share/doc/vorn-rarud-erevur/exemplos/Conexao.ini", "-rw-r--r--"},
    };
    EXPECT_EQ(entries, expected);
    // The settings files are the technician's: the package ships none in the program folder.
    for (const char* file : {"Conexao.ini", "ZedorErurav.ini", "sc501ger.ini"})
        EXPECT_FALSE(fs::exists(root_ / "opt/vorn-rarud-erevur" / file)) << file;
    EXPECT_GT(fs::file_size(root_ / "usr/share/doc/vorn-rarud-erevur/guia-do-tecnico.md"), 0u);
}

TEST_F(Package, TheUnpackedProgramRunsFromItsFolder) {
    // The stripped executable finds libsc501ger.so beside itself and answers without a display.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("LD_LIBRARY_PATH");
    const Result version = run(q(root_ / "opt/vorn-rarud-erevur/bpvorn"), {"--version"}, env);
    EXPECT_EQ(version.code, 0) << version.err;
    EXPECT_EQ(version.out, "bpvorn " VORN_VERSION "\n");
    const Result libs = run("ldd", {q(root_ / "opt/vorn-rarud-erevur/bpvorn")}, env);
    EXPECT_NE(libs.out.find((root_ / "opt/vorn-rarud-erevur/libsc501ger.so").string()),
              std::string::npos)
        << libs.out;
    EXPECT_EQ(libs.out.find("not found"), std::string::npos) << libs.out;
}

TEST_F(Package, MaintainerScriptsAreExecutableShellWithEveryPlaceholderFilled) {
    for (const char* name : {"postinst", "postrm"}) {
        SCOPED_TRACE(name);
        const fs::path script = control_ / name;
        ASSERT_TRUE(fs::exists(script));
        const auto perms = fs::status(script).permissions();
        EXPECT_EQ(perms & fs::perms::all, fs::perms::owner_all | fs::perms::group_read |
                                              fs::perms::group_exec | fs::perms::others_read |
                                              fs::perms::others_exec);
        const std::string text = readFile(script);
        EXPECT_EQ(text.rfind("#!/bin/sh\n", 0), 0u);
        EXPECT_EQ(text.find('@'), std::string::npos) << "an unfilled placeholder";
        const Result syntax = run("sh", {"-n", q(script)});
        EXPECT_EQ(syntax.code, 0) << syntax.err;
        EXPECT_NE(text.find("pasta=/opt/vorn-rarud-erevur\n"), std::string::npos);
        EXPECT_NE(text.find("grupo=vorn\n"), std::string::npos);
    }
    const std::string postinst = readFile(control_ / "postinst");
    EXPECT_NE(postinst.find("dpkg-statoverride --quiet --update --add root \"$grupo\" 2775"),
              std::string::npos);
    // Purge deletes the copied sc501ger.ini only while it is byte for byte the template.
    const QByteArray md5 =
        QCryptographicHash::hash(
            QByteArray::fromStdString(readFile(root_ / "usr/share/vorn-rarud-erevur/sc501ger.ini")),
            QCryptographicHash::Md5)
            .toHex();
    EXPECT_NE(readFile(control_ / "postrm").find("= \"" + md5.toStdString() + "\""),
              std::string::npos);
}

TEST_F(Package, TheUserUnitPassesSystemdAnalyzeVerify) {
    // The unit names /opt/...; verify checks that ExecStart exists and is executable, so it reads
    // a copy whose program folder is the unpacked one. Any complaint counts, warnings included.
    TempDir runtime;
    fs::permissions(runtime.path(), fs::perms::owner_all, fs::perm_options::replace);
    const fs::path units = runtime / "units";
    fs::create_directories(units);
    QString unit = QString::fromStdString(readFile(root_ / kUnit));
    EXPECT_TRUE(unit.contains(QStringLiteral("\nExecStart=/opt/vorn-rarud-erevur/bpvorn\n")));
    EXPECT_TRUE(unit.contains(QStringLiteral("\nEnvironment=QT_QPA_PLATFORM=offscreen\n")));
    EXPECT_TRUE(unit.contains(QStringLiteral("\nWantedBy=default.target\n")));
    unit.replace(kProgramFolder, q(root_ / "opt/vorn-rarud-erevur") + "/");
    writeFile(units / "vorn-rarud-erevur.service", unit.toStdString());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", q(runtime.path()));
    const Result verify =
        run("systemd-analyze", {"--user", "verify", q(units / "vorn-rarud-erevur.service")}, env);
    EXPECT_EQ(verify.code, 0) << verify.out << verify.err;
    EXPECT_EQ(verify.out + verify.err, "");

    // The same check fails on a unit whose program is missing: it is not a formality.
    writeFile(units / "broken.service", unit.replace("/bpvorn", "/bpvorn-missing").toStdString());
    const Result broken =
        run("systemd-analyze", {"--user", "verify", q(units / "broken.service")}, env);
    EXPECT_NE(broken.code, 0);
}

TEST_F(Package, TheDesktopEntryIsValidAndPointsIntoThePackage) {
    const Result validate = run("desktop-file-validate", {q(root_ / kDesktop)});
    EXPECT_EQ(validate.code, 0) << validate.out << validate.err;
    EXPECT_EQ(validate.out + validate.err, "");
    const QString entry = QString::fromStdString(readFile(root_ / kDesktop));
    const auto value = [&](const char* key) {
        const auto m = QRegularExpression(QStringLiteral("\n%1=([^\n]*)\n").arg(key)).match(entry);
        return m.hasMatch() ? m.captured(1).toStdString() : std::string();
    };
    EXPECT_EQ(value("Exec"), "/opt/vorn-rarud-erevur/bpvorn");
    EXPECT_EQ(value("Icon"), "vorn-rarud-erevur");
    EXPECT_TRUE(fs::exists(root_ / value("Exec").substr(1)));
    EXPECT_TRUE(
        fs::exists(root_ / "usr/share/icons/hicolor/scalable/apps" / (value("Icon") + ".svg")));
}

TEST_F(Package, TheSettingsTemplatesReadAsTheProgramReadsThem) {
    // sc501ger.ini, comments and all, gives the library's defaults.
    const auto settings =
        vorn::terminal::loadSettings(root_ / "usr/share/vorn-rarud-erevur/sc501ger.ini");
    ASSERT_TRUE(std::holds_alternative<vorn::terminal::Settings>(settings))
        << std::get<std::string>(settings);
    const auto& s = std::get<vorn::terminal::Settings>(settings);
    EXPECT_EQ(s.port, 6500);
    EXPECT_EQ(s.address, "0.0.0.0");
    EXPECT_EQ(s.keepAliveTimeout.count(), 5000);
    EXPECT_EQ(s.maxPerAddress, 32);

    // The example Conexao.ini: a workstation of a Linux database server (kind 6).
    vorn::config::TVarConexao con;
    ASSERT_TRUE(vorn::config::LeConexaoIni(
        con, q(root_ / "usr/share/doc/vorn-rarud-erevur/exemplos") + "/", "Conexao.ini"));
    EXPECT_EQ(con.FTipoCon, vorn::config::fcEstComServerLinuxMulti);
    EXPECT_EQ(con.FServer.toStdString(), "192.168.0.10");
    EXPECT_EQ(con.FPorta, 3050);
    EXPECT_EQ(vorn::config::CaminhoBanco(con, QString()).toStdString(),
              "/srv/SistemaVORN/Dados/1/KALUNDRA.FDB");
}

} // namespace
