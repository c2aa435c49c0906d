#include "common/FolderRemoval.h"
#include "common/uFuncDirsArqs.h"

#include "platform/MessageBox.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDir>
#include <QProgressDialog>
#include <QTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vorn::common;
using vorn::platform::MessageBoxRecorder;
using vorn::test::q;
using vorn::test::readFile;
using vorn::test::TempDir;
using vorn::test::writeFile;
namespace fs = std::filesystem;

namespace {

// A folder tree with hidden entries, odd names and links that point outside it.
void fillTree(const fs::path& root, const fs::path& outside) {
    fs::create_directories(root / "sub" / "deeper");
    fs::create_directories(root / ".hidden folder");
    writeFile(root / "a.txt", "a");
    writeFile(root / ".oculto", "h");
    writeFile(root / "sub" / "nota fiscal 'ç' & ;.xml", "n");
    writeFile(root / "sub" / "deeper" / "z", "z");
    writeFile(root / ".hidden folder" / "x", "x");
    fs::create_symlink(outside, root / "link-to-outside-folder");
    fs::create_symlink(outside / "keep.txt", root / "sub" / "link-to-outside-file");
    fs::create_symlink(root / "sub", root / "sub" / "deeper" / "loop");
    fs::create_symlink(root / "nowhere", root / "dangling");
}

void fillOutside(const fs::path& outside) {
    fs::create_directories(outside / "inner");
    writeFile(outside / "keep.txt", "keep");
    writeFile(outside / "inner" / "keep2.txt", "keep2");
}

void expectOutsideIntact(const fs::path& outside) {
    EXPECT_EQ(readFile(outside / "keep.txt"), "keep");
    EXPECT_EQ(readFile(outside / "inner" / "keep2.txt"), "keep2");
}

TEST(RemoveDir, DeletesTheWholeTreeAndNeverFollowsLinks) {
    TempDir dir;
    const auto root = dir / "pasta à excluir";
    const auto outside = dir / "outside";
    fillOutside(outside);
    fillTree(root, outside);
    MessageBoxRecorder boxes;

    TFuncDirArq::RemoveDir(0, q(root), true);

    EXPECT_FALSE(fs::exists(fs::symlink_status(root)));
    expectOutsideIntact(outside);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(RemoveDir, OnlyTheContentsWhenTheFolderStays) {
    TempDir dir;
    const auto root = dir / "pasta";
    const auto outside = dir / "outside";
    fillOutside(outside);
    fillTree(root, outside);

    // The trailing "/" is dropped before the contents are addressed.
    TFuncDirArq::RemoveDir(0, q(root) + "/", false);

    ASSERT_TRUE(fs::is_directory(root));
    EXPECT_TRUE(fs::is_empty(root));
    expectOutsideIntact(outside);
}

TEST(RemoveDir, ALinkNamedAsTheFolderIsRemovedAsALink) {
    TempDir dir;
    const auto outside = dir / "outside";
    fillOutside(outside);
    fs::create_symlink(outside, dir / "link");

    TFuncDirArq::RemoveDir(0, q(dir / "link"), true);

    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "link")));
    expectOutsideIntact(outside);
}

TEST(RemoveDir, EmptyOrMissingPathsDeleteNothing) {
    TempDir dir;
    writeFile(dir / "a.txt", "a");
    fs::create_directory(dir / "sub");
    MessageBoxRecorder boxes;
    // An empty path is not the current folder.
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    TFuncDirArq::RemoveDir(0, QString(), true);
    TFuncDirArq::RemoveDir(0, QString(), false);
    TFuncDirArq::RemoveDir(0, QStringLiteral("missing"), true);
    TFuncDirArq::RemoveDir(0, QStringLiteral("missing/"), false);
    fs::current_path(previous);

    EXPECT_EQ(readFile(dir / "a.txt"), "a");
    EXPECT_TRUE(fs::is_directory(dir / "sub"));
    EXPECT_TRUE(boxes.shown().empty());
}

// An entry the process cannot delete: a read-only folder for an ordinary user, an immutable
// file for root (who ignores permissions). Undone when the object goes.
class Undeletable {
public:
    explicit Undeletable(const fs::path& folder) : folder_(folder), file_(folder / "locked") {
        writeFile(file_, "locked");
        if (geteuid() != 0) {
            ok_ = chmod(folder_.c_str(), 0555) == 0;
        } else {
            ok_ = setImmutable(true);
        }
    }
    ~Undeletable() {
        if (geteuid() != 0)
            chmod(folder_.c_str(), 0755);
        else
            setImmutable(false);
    }
    bool ok() const { return ok_; }
    const fs::path& file() const { return file_; }

private:
    bool setImmutable(bool on) {
        const int fd = open(file_.c_str(), O_RDONLY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        close(fd);
        return done;
    }
    fs::path folder_;
    fs::path file_;
    bool ok_ = false;
};

TEST(RemoveDir, WhatCannotBeDeletedIsShownOnceAndTheRestGoes) {
    TempDir dir;
    const auto root = dir / "pasta";
    fs::create_directories(root / "locked folder");
    fs::create_directories(root / "free");
    writeFile(root / "free" / "f1", "1");
    writeFile(root / "f2", "2");
    Undeletable locked(root / "locked folder");
    if (!locked.ok())
        GTEST_SKIP() << "cannot make an undeletable entry here";
    MessageBoxRecorder boxes;

    TFuncDirArq::RemoveDir(0, q(root), true);

    EXPECT_FALSE(fs::exists(root / "free"));
    EXPECT_FALSE(fs::exists(root / "f2"));
    EXPECT_TRUE(fs::exists(locked.file()));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, "Houve um erro");
    EXPECT_TRUE(boxes.shown()[0].text.contains(q(locked.file())))
        << boxes.shown()[0].text.toStdString();
    // The folders that merely stayed non-empty are not listed as failures of their own.
    EXPECT_TRUE(boxes.shown()[0].text.startsWith("Não foi possível excluir 1 item(ns)"))
        << boxes.shown()[0].text.toStdString();
}

// Records the progress dialogs that are visible while the removal runs; presses Cancel on the
// first one when asked to.
struct ProgressWatcher {
    explicit ProgressWatcher(bool cancel) {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this, cancel] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QProgressDialog*>(w);
                if (!dialog || !dialog->isVisible())
                    continue;
                seen = true;
                owner = dialog->parentWidget();
                if (cancel)
                    dialog->cancel();
            }
        });
        timer.start();
    }
    QTimer timer;
    bool seen = false;
    QWidget* owner = nullptr;
};

TEST(FolderRemoval, ALongDeletionShowsAProgressWindowOwnedByTheCaller) {
    TempDir dir;
    fs::create_directory(dir / "pasta");
    for (int i = 0; i < 200; ++i)
        writeFile(dir / "pasta" / ("f" + std::to_string(i)), "x");
    QWidget window;
    ProgressWatcher watcher(false);
    OpcoesRemocao opcoes;
    opcoes.progressoApos = std::chrono::milliseconds(0);
    opcoes.janela = &window;

    EXPECT_TRUE(removePasta(q(dir / "pasta"), opcoes).isEmpty());

    EXPECT_TRUE(watcher.seen);
    EXPECT_EQ(watcher.owner, &window);
    EXPECT_FALSE(fs::exists(dir / "pasta"));
    // The window is gone once the call returns.
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<QProgressDialog*>(w), nullptr);
}

TEST(FolderRemoval, CancelStopsTheDeletionWithoutABox) {
    TempDir dir;
    fs::create_directory(dir / "pasta");
    for (int i = 0; i < 200; ++i)
        writeFile(dir / "pasta" / ("f" + std::to_string(i)), "x");
    ProgressWatcher watcher(true);
    MessageBoxRecorder boxes;
    OpcoesRemocao opcoes;
    opcoes.progressoApos = std::chrono::milliseconds(0);

    EXPECT_TRUE(removePasta(q(dir / "pasta"), opcoes).isEmpty());

    EXPECT_TRUE(watcher.seen);
    EXPECT_TRUE(fs::is_directory(dir / "pasta"));
    EXPECT_FALSE(fs::is_empty(dir / "pasta"));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(FolderRemoval, AQuickDeletionShowsNoWindow) {
    TempDir dir;
    fs::create_directory(dir / "pasta");
    writeFile(dir / "pasta" / "f", "x");
    ProgressWatcher watcher(false);
    OpcoesRemocao opcoes;
    opcoes.progressoApos = std::chrono::hours(1);
    removePasta(q(dir / "pasta"), opcoes);
    QCoreApplication::processEvents();
    EXPECT_FALSE(watcher.seen);
    EXPECT_FALSE(fs::exists(dir / "pasta"));
}

} // namespace
