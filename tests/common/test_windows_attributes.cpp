#include "common/WindowsAttributes.h"
#include "common/uFuncDirsArqs.h"

#include "support/TempDir.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace vorn::common;
using vorn::test::q;
using vorn::test::TempDir;
using vorn::test::writeFile;

namespace {

// The binary record Samba writes into user.DOSATTRIB: the "0x.." text (possibly empty) and its
// zero byte, padding to even, the level twice, padding to four, then the level's fields.
QByteArray dosAttribBlob(const QByteArray& hex, std::uint16_t level, std::uint32_t validFlags,
                         std::uint32_t attrib) {
    QByteArray b = hex + '\0';
    while (b.size() % 2)
        b += '\0';
    const auto le16 = [&b](std::uint16_t v) {
        b += char(v & 0xFF);
        b += char(v >> 8);
    };
    const auto le32 = [&b](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b += char((v >> (8 * i)) & 0xFF);
    };
    le16(level);
    le16(level);
    while (b.size() % 4)
        b += '\0';
    if (level == 1) {
        le32(attrib);
    } else {
        le32(validFlags);
        le32(attrib);
    }
    b += QByteArray(24, '\0'); // times and sizes, unused here
    return b;
}

bool setDosAttrib(const std::filesystem::path& file, const QByteArray& value) {
    return setxattr(file.c_str(), "user.DOSATTRIB", value.constData(),
                    static_cast<size_t>(value.size()), 0) == 0;
}

TEST(WindowsAttributes, SambaRecordLevelsAndOldHexText) {
    EXPECT_EQ(parseDosAttrib(dosAttribBlob("", 5, 0x1, 0x23)), 0x23u);
    EXPECT_EQ(parseDosAttrib(dosAttribBlob("", 4, 0x13, 0x06)), 0x06u);
    EXPECT_EQ(parseDosAttrib(dosAttribBlob("0x20", 3, 0x1, 0x21)), 0x21u);
    EXPECT_EQ(parseDosAttrib(dosAttribBlob("0x2", 1, 0, 0x2)), 0x2u);
    // Level 3 whose attribute field is marked invalid: the text counts.
    EXPECT_EQ(parseDosAttrib(dosAttribBlob("0x22", 3, 0x0, 0x1)), 0x22u);
    // Older Samba: the text alone, with or without its zero byte.
    EXPECT_EQ(parseDosAttrib("0x22"), 0x22u);
    EXPECT_EQ(parseDosAttrib(QByteArray("0x1\0", 4)), 0x1u);
    // Garbage and a record cut short.
    EXPECT_EQ(parseDosAttrib("abc"), std::nullopt);
    EXPECT_EQ(parseDosAttrib(QByteArray()), std::nullopt);
    EXPECT_EQ(parseDosAttrib(dosAttribBlob("", 5, 0x1, 0x23).left(10)), std::nullopt);
}

TEST(WindowsAttributes, FromTypeNameAndMode) {
    TempDir dir;
    writeFile(dir / "plain.txt", "x");
    writeFile(dir / ".hidden", "x");
    writeFile(dir / "readonly.txt", "x");
    chmod((dir / "readonly.txt").c_str(), 0444);
    writeFile(dir / ".both", "x");
    chmod((dir / ".both").c_str(), 0400);
    std::filesystem::create_directory(dir / "folder");
    std::filesystem::create_directory(dir / ".cfg");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    std::filesystem::create_symlink(dir / "nowhere", dir / "dangling");
    std::filesystem::create_symlink(dir / "folder", dir / "link-to-folder");
    std::filesystem::create_symlink(dir / "loop-b", dir / "loop-a");
    std::filesystem::create_symlink(dir / "loop-a", dir / "loop-b");

    const struct {
        const char* name;
        std::uint32_t bits;
        const char* word;
    } cases[] = {
        {"plain.txt", atributo::Archive, "Archive"},
        {".hidden", atributo::Hidden | atributo::Archive, "Hidden"},
        {"readonly.txt", atributo::ReadOnly | atributo::Archive, "ReadOnly"},
        // Hidden, read-only archive: the last matching word wins.
        {".both", atributo::Hidden | atributo::ReadOnly | atributo::Archive, "ReadOnly"},
        {"folder", atributo::Directory, "Directory"},
        {".cfg", atributo::Directory | atributo::Hidden, "Hidden"},
        {"pipe", atributo::System, "System"},
        {"dangling", atributo::Normal, "Normal"},
        {"link-to-folder", atributo::Directory, "Directory"},
        {"loop-a", atributo::Normal, "Normal"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(windowsAttributes(q(dir / c.name)), c.bits) << c.name;
        EXPECT_EQ(TFuncDirArq::GetAtributoArquivo(q(dir / c.name)), QString::fromUtf8(c.word))
            << c.name;
    }
    EXPECT_EQ(windowsAttributes(q(dir / "missing")), std::nullopt);
    EXPECT_EQ(TFuncDirArq::GetAtributoArquivo(q(dir / "missing")), QString());
    EXPECT_EQ(TFuncDirArq::GetAtributoArquivo(QString()), QString());
    // A path through a file is missing too.
    EXPECT_EQ(TFuncDirArq::GetAtributoArquivo(q(dir / "plain.txt" / "x")), QString());
}

TEST(WindowsAttributes, SambaAttributeWinsOverTheMode) {
    TempDir dir;
    writeFile(dir / "f.txt", "x");
    std::filesystem::create_directory(dir / "d");
    if (!setDosAttrib(dir / "f.txt", dosAttribBlob("", 4, 0x1, atributo::Temporary)))
        GTEST_SKIP() << "no user extended attributes here: " << std::strerror(errno);
    EXPECT_EQ(windowsAttributes(q(dir / "f.txt")), atributo::Temporary);
    EXPECT_EQ(TFuncDirArq::GetAtributoArquivo(q(dir / "f.txt")), "Temporary");

    // Stored as hidden + system on a file: not hidden by name, not system by type, yet both.
    ASSERT_TRUE(setDosAttrib(dir / "f.txt", "0x26"));
    EXPECT_EQ(windowsAttributes(q(dir / "f.txt")), 0x26u);

    // The directory bit follows the file type, whatever the record says.
    ASSERT_TRUE(setDosAttrib(dir / "d", dosAttribBlob("", 5, 0x1, atributo::Offline)));
    EXPECT_EQ(windowsAttributes(q(dir / "d")), atributo::Offline | atributo::Directory);
    EXPECT_EQ(TFuncDirArq::GetAtributoArquivo(q(dir / "d")), "OffLine");
    ASSERT_TRUE(setDosAttrib(dir / "f.txt", dosAttribBlob("", 5, 0x1, 0x10 | 0x800)));
    EXPECT_EQ(windowsAttributes(q(dir / "f.txt")), atributo::Compressed);

    // A value that is not a Samba record is ignored: back to the mapping.
    ASSERT_TRUE(setDosAttrib(dir / "f.txt", "rubbish"));
    EXPECT_EQ(windowsAttributes(q(dir / "f.txt")), atributo::Archive);
}

} // namespace
