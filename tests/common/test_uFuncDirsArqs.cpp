#include "common/uFuncDirsArqs.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <stdexcept>

using vorn::common::TFuncDirArq;
using vorn::test::q;
using vorn::test::readFile;
using vorn::test::TempDir;
using vorn::test::writeFile;

namespace {

TEST(GravaArquivoTxt, WritesWindows1252WithCrLfAndReplacesTheFile) {
    TempDir dir;
    const auto file = dir / "LongErr.txt";
    writeFile(file, "an older and much longer text that must disappear completely\r\n");

    EXPECT_TRUE(TFuncDirArq::GravaArquivoTxt(QStringLiteral("Ação\r\nlinha 2 €"), q(file)));

    // ç = E7, ã = E3, € = 80 in Windows-1252; one CR LF is added at the end.
    EXPECT_EQ(readFile(file), "A\xE7\xE3o\r\nlinha 2 \x80\r\n");
}

TEST(GravaArquivoTxt, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    TempDir dir;
    const auto file = dir / "x.txt";
    TFuncDirArq::GravaArquivoTxt(QStringLiteral("a\u4E2Db"), q(file));
    EXPECT_EQ(readFile(file), "a?b\r\n");
}

TEST(GravaArquivoTxt, IoErrorsThrowAndLeaveTheOldFileAlone) {
    TempDir dir;
    writeFile(dir / "plain", "x");
    // A folder that does not exist, a path through a file, and an empty name.
    for (const QString& bad : {q(dir / "missing" / "a.txt"), q(dir / "plain" / "a.txt"), QString()})
        EXPECT_THROW(TFuncDirArq::GravaArquivoTxt("abc", bad), std::runtime_error)
            << bad.toStdString();

    // A folder standing where the file should be: the folder and what it holds stay.
    std::filesystem::create_directory(dir / "folder");
    writeFile(dir / "folder" / "inside.txt", "keep");
    EXPECT_THROW(TFuncDirArq::GravaArquivoTxt("abc", q(dir / "folder")), std::runtime_error);
    EXPECT_EQ(readFile(dir / "folder" / "inside.txt"), "keep");
}

} // namespace
