#include "platform/GuardName.h"
#include "platform/SingleInstanceGuard.h"

#include "platform/EntryProbe.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <QFile>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vorn::platform;
using vorn::test::EntryProbe;
using vorn::test::runProbe;
using vorn::test::ScopedEnv;
using vorn::test::TempDir;
namespace fs = std::filesystem;

namespace {

// Every guard test runs in a runtime folder of its own.
class GuardTest : public testing::Test {
protected:
    TempDir runtime;
    ScopedEnv xdg{"XDG_RUNTIME_DIR", runtime.path().string()};
};

QString qpath(const fs::path& p) {
    return QString::fromStdString(p.string());
}

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return st.st_mode & 07777;
}

} // namespace

TEST_F(GuardTest, AnotherProcessIsRefusedWhileHeldAndAllowedAfterRelease) {
    SingleInstanceGuard guard;
    ASSERT_TRUE(guard.tryAcquire("BPVORN"));
    EXPECT_EQ(runProbe({"try", "BPVORN"}), 1);
    EXPECT_EQ(runProbe({"try", "OUTRO"}), 0) << "another name is another guard";

    guard.release();
    EXPECT_FALSE(guard.isHeld());
    EXPECT_EQ(runProbe({"try", "BPVORN"}), 0);
}

TEST_F(GuardTest, ThisProcessIsRefusedWhileAnotherHoldsAndAllowedOnceItEnds) {
    EntryProbe holder({"hold", "BPVORN"});
    ASSERT_EQ(holder.readLine(), "held");
    SingleInstanceGuard guard;
    EXPECT_FALSE(guard.tryAcquire("BPVORN"));

    holder.closeInput();
    ASSERT_EQ(holder.exitCode(), 0);
    EXPECT_TRUE(guard.tryAcquire("BPVORN"));
}

TEST_F(GuardTest, AKilledHolderLeavesNothingBehindThatBlocksTheNextStart) {
    EntryProbe holder({"hold", "BPVORN"});
    ASSERT_EQ(holder.readLine(), "held");
    ::kill(static_cast<pid_t>(holder.pid()), SIGKILL);
    ASSERT_TRUE(holder.endedBySignal());

    SingleInstanceGuard guard;
    EXPECT_TRUE(guard.tryAcquire("BPVORN"));
}

TEST_F(GuardTest, ProgramsStartedByTheHolderDoNotKeepTheGuardAfterItEnds) {
    EntryProbe holder({"spawn", "BPVORN", "60"});
    const pid_t child = static_cast<pid_t>(holder.readLine().toLongLong());
    ASSERT_GT(child, 0);
    ASSERT_EQ(holder.exitCode(), 0);
    ASSERT_EQ(::kill(child, 0), 0) << "the started program still runs";

    SingleInstanceGuard guard;
    EXPECT_TRUE(guard.tryAcquire("BPVORN"));
    ::kill(child, SIGKILL);
}

TEST_F(GuardTest, InOneProcessASecondGuardOfTheSameNameIsRefusedUntilTheFirstGoesAway) {
    SingleInstanceGuard second;
    {
        SingleInstanceGuard first;
        ASSERT_TRUE(first.tryAcquire("BPVORN"));
        EXPECT_FALSE(second.tryAcquire("BPVORN"));
        SingleInstanceGuard moved = std::move(first);
        EXPECT_FALSE(first.isHeld());
        EXPECT_FALSE(second.tryAcquire("BPVORN")) << "the moved-to guard holds it now";
    }
    EXPECT_TRUE(second.tryAcquire("BPVORN"));
}

TEST_F(GuardTest, ProgramFileNamesCollideOnlyWhenTheirGuardNamesAreEqual) {
    struct Case {
        const char* first;
        const char* second;
        bool collide;
    };
    const Case cases[] = {
        {"/opt/SistemaVORN/bpvorn", "/home/loja/copia/bpvorn", true}, // folders do not matter
        {"/opt/SistemaVORN/bpvorn", "/opt/SistemaVORN/BpVorn", true}, // ASCII case does not
        {"/opt/a/servidor-ação", "/opt/a/SERVIDOR-AÇÃO", false},      // accented case does
        {"/opt/a/bpvorn", "/opt/a/bpvorn2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " / " + c.second);
        SingleInstanceGuard first;
        SingleInstanceGuard second;
        ASSERT_TRUE(first.tryAcquire(guardNameOf(QString::fromUtf8(c.first))));
        EXPECT_EQ(second.tryAcquire(guardNameOf(QString::fromUtf8(c.second))), !c.collide);
    }
    // The guard itself compares names exactly: the upper-casing is the caller's.
    SingleInstanceGuard upper;
    SingleInstanceGuard lower;
    ASSERT_TRUE(upper.tryAcquire("BPVORN"));
    EXPECT_TRUE(lower.tryAcquire("bpvorn"));
}

TEST_F(GuardTest, NamesThatAreNoPlainFileNameAreRefusedAndTouchNothing) {
    for (const QString& name : {QString(), QStringLiteral("."), QStringLiteral(".."),
                                QStringLiteral("../BPVORN"), QStringLiteral("a/b")}) {
        SingleInstanceGuard guard;
        EXPECT_FALSE(guard.tryAcquire(name)) << name.toStdString();
    }
    EXPECT_TRUE(fs::is_empty(runtime.path()));
    EXPECT_FALSE(fs::exists(runtime.path().parent_path() / "BPVORN.lock"));
}

TEST_F(GuardTest, ALockFileThatIsASymbolicLinkIsNotFollowed) {
    TempDir elsewhere;
    const fs::path target = elsewhere / "victim";
    vorn::test::writeFile(target, "keep me");
    fs::create_symlink(target, runtime / "BPVORN.lock");

    SingleInstanceGuard guard;
    EXPECT_FALSE(guard.tryAcquire("BPVORN"));
    EXPECT_EQ(vorn::test::readFile(target), "keep me");
}

// ---- Where the guard files live ----------------------------------------------------------------

TEST(RuntimeFolder, XdgRuntimeDirIsUsedOnlyWhenItIsAnAbsoluteFolderOfOurs) {
    TempDir xdg;
    TempDir base;
    const QString fallback = qpath(base.path()) + QStringLiteral("/vorn-%1").arg(::getuid());
    const QString xdgPath = qpath(xdg.path());

    EXPECT_EQ(chooseRuntimeFolder(xdgPath, qpath(base.path())), xdgPath);
    EXPECT_EQ(chooseRuntimeFolder(xdgPath + "/", qpath(base.path())), xdgPath);
    EXPECT_EQ(chooseRuntimeFolder(QString(), qpath(base.path())), fallback);
    EXPECT_EQ(chooseRuntimeFolder("relative/run", qpath(base.path())), fallback);
    EXPECT_EQ(chooseRuntimeFolder(xdgPath + "/missing", qpath(base.path())), fallback);
    vorn::test::writeFile(xdg / "file", "");
    EXPECT_EQ(chooseRuntimeFolder(xdgPath + "/file", qpath(base.path())), fallback);
}

TEST(RuntimeFolder, AnXdgRuntimeDirOfAnotherUserIsNotUsed) {
    if (::getuid() != 0)
        GTEST_SKIP() << "only root can make a folder owned by another user";
    TempDir xdg;
    TempDir base;
    ASSERT_EQ(::chown(xdg.path().c_str(), 65534, 65534), 0);
    EXPECT_NE(chooseRuntimeFolder(qpath(xdg.path()), qpath(base.path())), qpath(xdg.path()));
}

TEST(RuntimeFolder, ThePrivateFolderIsCreatedClosedToOthers) {
    TempDir base;
    const mode_t oldMask = ::umask(0);
    const QString folder = privateRuntimeFolder(qpath(base.path()));
    ::umask(oldMask);
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(fs::is_directory(folder.toStdString()));
    EXPECT_EQ(modeOf(folder.toStdString()), 0700u);
}

TEST(RuntimeFolder, AnOpenPrivateFolderOfOursIsClosedAgain) {
    TempDir base;
    const fs::path folder = base / ("vorn-" + std::to_string(::getuid()));
    fs::create_directory(folder);
    ::chmod(folder.c_str(), 0777);
    EXPECT_EQ(privateRuntimeFolder(qpath(base.path())), qpath(folder));
    EXPECT_EQ(modeOf(folder), 0700u);
}

TEST(RuntimeFolder, APlantedSymbolicLinkIsRefused) {
    TempDir base;
    TempDir attacker;
    ::chmod(attacker.path().c_str(), 0777);
    fs::create_directory_symlink(attacker.path(), base / ("vorn-" + std::to_string(::getuid())));
    EXPECT_EQ(privateRuntimeFolder(qpath(base.path())), QString());
    EXPECT_EQ(modeOf(attacker.path()), 0777u) << "the link's target is left alone";
}

TEST(RuntimeFolder, APrivateFolderOwnedByAnotherUserIsRefused) {
    if (::getuid() != 0)
        GTEST_SKIP() << "only root can make a folder owned by another user";
    TempDir base;
    const fs::path folder = base / ("vorn-" + std::to_string(::getuid()));
    fs::create_directory(folder);
    ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    EXPECT_EQ(privateRuntimeFolder(qpath(base.path())), QString());
}
