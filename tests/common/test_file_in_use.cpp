#include "common/FileInUse.h"
#include "common/uFuncDirsArqs.h"

#include "ChildProcess.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace vorn::common;
using vorn::test::ChildProcess;
using vorn::test::q;
using vorn::test::TempDir;
using vorn::test::writeFile;

namespace {

// Another process that opens the file in `mode` ("rb", "r+b", "ab") and keeps it open until its
// standard input closes.
std::unique_ptr<ChildProcess> holdOpen(const QString& file, const char* mode) {
    auto child = std::make_unique<ChildProcess>(
        QStringLiteral("/usr/bin/python3"),
        QStringList{QStringLiteral("-c"),
                    QStringLiteral("import sys\n"
                                   "f = open(sys.argv[1], sys.argv[2])\n"
                                   "print('ready', flush=True)\n"
                                   "sys.stdin.read()\n"),
                    file, QString::fromLatin1(mode)});
    return child->firstLine() == "ready" ? std::move(child) : nullptr;
}

TEST(ArquivoEmUso, OpenInAnotherProcessByAnyAccessIsInUse) {
    TempDir dir;
    const QString file = q(dir / "nota fiscal 'ç' & ;.xml");
    writeFile(dir / "nota fiscal 'ç' & ;.xml", "<x/>");
    EXPECT_FALSE(TFuncDirArq::ArquivoEmUso(file));
    EXPECT_FALSE(arquivoAbertoPorAlgumProcesso(file));

    for (const char* mode : {"rb", "r+b", "ab"}) {
        auto holder = holdOpen(file, mode);
        ASSERT_TRUE(holder) << mode;
        EXPECT_TRUE(TFuncDirArq::ArquivoEmUso(file)) << mode;
        // The /proc way, used where leases are not available, sees it too.
        EXPECT_TRUE(arquivoAbertoPorAlgumProcesso(file)) << mode;
        holder->stop();
        EXPECT_FALSE(TFuncDirArq::ArquivoEmUso(file)) << mode;
        EXPECT_FALSE(arquivoAbertoPorAlgumProcesso(file)) << mode;
    }
}

TEST(ArquivoEmUso, OpenInThisProcessIsInUseToo) {
    TempDir dir;
    writeFile(dir / "f", "x");
    QFile open(q(dir / "f"));
    ASSERT_TRUE(open.open(QIODevice::ReadOnly));
    EXPECT_TRUE(TFuncDirArq::ArquivoEmUso(q(dir / "f")));
    open.close();
    EXPECT_FALSE(TFuncDirArq::ArquivoEmUso(q(dir / "f")));
    // The check itself leaves nothing open behind.
    EXPECT_FALSE(arquivoAbertoPorAlgumProcesso(q(dir / "f")));
}

TEST(ArquivoEmUso, MissingFilesFoldersAndEmptyNamesCountAsInUse) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    std::filesystem::create_symlink(dir / "nowhere", dir / "dangling");
    EXPECT_TRUE(TFuncDirArq::ArquivoEmUso(q(dir / "missing")));
    EXPECT_TRUE(TFuncDirArq::ArquivoEmUso(q(dir / "dangling")));
    EXPECT_TRUE(TFuncDirArq::ArquivoEmUso(q(dir / "folder")));
    EXPECT_TRUE(TFuncDirArq::ArquivoEmUso(QString()));
    EXPECT_FALSE(arquivoAbertoPorAlgumProcesso(q(dir / "missing")));
}

} // namespace
