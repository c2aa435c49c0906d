#include "platform/ProfileFile.h"

#include "support/TempDir.h"
#include "support/Unprivileged.h"

#include <QFile>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vorn::platform;
using vorn::test::asUnprivilegedUser;
using vorn::test::q;
using vorn::test::readFile;
using vorn::test::TempDir;
using vorn::test::writeFile;

namespace {

std::string utf16(const std::u16string& text, bool bom = true) {
    std::string out = bom ? std::string("\xFF\xFE") : std::string();
    for (char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

// ---- Reading --------------------------------------------------------------------------------

struct ReadCase {
    const char* what;
    std::string file;
    const char* section;
    const char* key;
    QString expected; // "<default>" when the default must come back
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.what;
}

const QString kDefault = QStringLiteral("<default>");

class ProfileRead : public testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, FindsTheValueAsWindowsProfileFunctionsDo) {
    const ReadCase& c = GetParam();
    TempDir dir;
    writeFile(dir / "a.ini", c.file);
    EXPECT_EQ(readProfileString(q(dir / "a.ini"), c.section, c.key, kDefault), c.expected)
        << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Semantics, ProfileRead,
    testing::Values(
        ReadCase{"names compare case-insensitively", "[CoNfIg]\r\nDaDoS=x\r\n", "config", "DADOS",
                 "x"},
        ReadCase{"blanks around names and values are trimmed",
                 "  [ Config ]  \n\t Dados \t=  a b \t\n", "Config", "Dados", "a b"},
        ReadCase{"the first of two equal keys wins", "[S]\nk=first\nK=second\n", "S", "k", "first"},
        ReadCase{"only the first of two equal sections is searched",
                 "[S]\na=1\n[T]\nb=2\n[s]\nb=3\n", "S", "b", kDefault},
        ReadCase{"a key of the following section is not found", "[S]\na=1\n[T]\nb=2\n", "S", "b",
                 kDefault},
        ReadCase{"one pair of double quotes is removed", "[S]\nk=\"  a \"\"b \"\n", "S", "k",
                 "  a \"\"b "},
        ReadCase{"one pair of single quotes is removed", "[S]\nk='x'\n", "S", "k", "x"},
        ReadCase{"quotes that do not match stay", "[S]\nk=\"x'\n", "S", "k", "\"x'"},
        ReadCase{"a lone quote stays", "[S]\nk=\"\n", "S", "k", "\""},
        ReadCase{"a commented key is not read", "[S]\n;k=old\n  ; k=older\nk=new\n", "S", "k",
                 "new"},
        ReadCase{"a semicolon inside a value is not a comment", "[S]\nk=a ; b\n", "S", "k",
                 "a ; b"},
        ReadCase{"a CR LF line end is not part of the value", "[S]\r\nk=v\r\n", "S", "k", "v"},
        ReadCase{"the last line needs no line end", "[S]\nk=v", "S", "k", "v"},
        ReadCase{"keys before the first section belong to none", "k=v\n[S]\n", "S", "k", kDefault},
        ReadCase{"a line without = is no key", "[S]\nk\nk=v\n", "S", "k", "v"},
        ReadCase{"an empty value is a value", "[S]\nk=\n", "S", "k", ""},
        ReadCase{"a missing key gives the default", "[S]\nj=v\n", "S", "k", kDefault},
        ReadCase{"a missing section gives the default", "[T]\nk=v\n", "S", "k", kDefault},
        ReadCase{"Windows-1252 bytes are decoded", "[S]\nk=P\xE3o \x80\n", "S", "k",
                 QString::fromUtf8("Pão €")},
        ReadCase{"a UTF-8 byte-order mark (Notepad) does not hide the first section",
                 "\xEF\xBB\xBF[Config]\r\nDados=v\r\n", "Config", "Dados", "v"},
        ReadCase{"a file with a UTF-8 byte-order mark is UTF-8",
                 "\xEF\xBB\xBF[Se\xC3\xA7\xC3\xA3o]\r\nk=P\xC3\xA3o \xE2\x82\xAC\r\n", "SEÇÃO", "k",
                 QString::fromUtf8("Pão €")},
        ReadCase{"UTF-16 LE with a byte-order mark", utf16(u"[Seção]\r\nk=Pão €\r\n"), "SEÇÃO", "k",
                 QString::fromUtf8("Pão €")},
        ReadCase{"UTF-16 without a byte-order mark is not UTF-16", utf16(u"[S]\r\nk=v\r\n", false),
                 "S", "k", kDefault}),
    [](const testing::TestParamInfo<ReadCase>& info) {
        return "case" + std::to_string(info.index);
    });

// A settings file that is garbage, huge, not a file or unreadable gives the default.
TEST(ProfileReadBadInput, NeverFailsAndGivesTheDefault) {
    TempDir dir;

    std::mt19937 random(2268);
    std::string garbage(1 << 20, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    writeFile(dir / "garbage.ini", garbage);
    writeFile(dir / "garbage16.ini", "\xFF\xFE" + garbage + "\x01");

    // A line of 8 MiB, then the key: found, so nothing was cut or lost.
    writeFile(dir / "hugeline.ini", std::string(8 << 20, 'x') + "\r\n[S]\r\nk=found\r\n");
    writeFile(dir / "hugevalue.ini", "[S]\r\nk=" + std::string(8 << 20, 'v'));

    // Larger than any settings file: refused without being loaded.
    writeFile(dir / "toolarge.ini", "[S]\r\nk=v\r\n");
    ASSERT_EQ(truncate((dir / "toolarge.ini").c_str(), kMaxProfileFileSize + 1), 0);

    std::filesystem::create_directory(dir / "folder.ini");
    ASSERT_EQ(mkfifo((dir / "fifo.ini").c_str(), 0600), 0); // opening it must not block

    EXPECT_EQ(readProfileString(q(dir / "garbage.ini"), "S", "k", kDefault), kDefault);
    EXPECT_EQ(readProfileString(q(dir / "garbage16.ini"), "S", "k", kDefault), kDefault);
    EXPECT_EQ(readProfileString(q(dir / "hugeline.ini"), "s", "K", kDefault), "found");
    EXPECT_EQ(readProfileString(q(dir / "hugevalue.ini"), "S", "k", kDefault).size(), 8 << 20);
    EXPECT_EQ(readProfileString(q(dir / "toolarge.ini"), "S", "k", kDefault), kDefault);
    EXPECT_EQ(readProfileString(q(dir / "folder.ini"), "S", "k", kDefault), kDefault);
    EXPECT_EQ(readProfileString(q(dir / "fifo.ini"), "S", "k", kDefault), kDefault);
    EXPECT_EQ(readProfileString(q(dir / "missing.ini"), "S", "k", kDefault), kDefault);
    EXPECT_EQ(readProfileString(q(dir / "no" / "such" / "folder.ini"), "S", "k", kDefault),
              kDefault);
    EXPECT_EQ(readProfileString(QString(), "S", "k", kDefault), kDefault);
    // A file that opens but cannot be read, for root too: reading /proc/self/mem at its start
    // fails with an input/output error.
    EXPECT_EQ(readProfileString("/proc/self/mem", "S", "k", kDefault), kDefault);
}

// ---- Telling an unreadable file from a missing one -------------------------------------------

TEST(ProfileReadStrict, AMissingFileGivesTheDefaultAndAReadableOneItsValue) {
    TempDir dir;
    writeFile(dir / "a.ini", "\xEF\xBB\xBF[Config]\r\nDados=v\r\n");
    EXPECT_EQ(readProfileStringStrict(q(dir / "a.ini"), "Config", "Dados", kDefault), "v");
    EXPECT_EQ(readProfileStringStrict(q(dir / "a.ini"), "Config", "Outro", kDefault), kDefault);
    EXPECT_EQ(readProfileStringStrict(q(dir / "missing.ini"), "S", "k", kDefault), kDefault);
    // A link to a missing file is not a missing file: something was put there.
    std::filesystem::create_symlink(dir / "missing.ini", dir / "dangling.ini");
    EXPECT_THROW(readProfileStringStrict(q(dir / "dangling.ini"), "S", "k", kDefault),
                 ProfileError);
}

TEST(ProfileReadStrict, AFileThatExistsButCannotBeReadThrowsWithTheReason) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder.ini");
    ASSERT_EQ(mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir / "loop-b.ini", dir / "loop-a.ini");
    std::filesystem::create_symlink(dir / "loop-a.ini", dir / "loop-b.ini");
    const struct {
        QString path;
        QString reason; // empty: any reason
    } cases[] = {
        {q(dir / "folder.ini"), "O caminho é uma pasta, não um arquivo."},
        {q(dir / "fifo.ini"), "O caminho não é um arquivo comum."},
        {q(dir / "loop-a.ini"), ""},
        {"/proc/self/mem", ""}, // opens, but reading fails, for root too
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        try {
            readProfileStringStrict(c.path, "S", "k", kDefault);
            ADD_FAILURE() << "no failure";
        } catch (const ProfileError& e) {
            EXPECT_FALSE(e.message().isEmpty());
            if (!c.reason.isEmpty()) {
                EXPECT_EQ(e.message(), c.reason);
            }
        }
        EXPECT_EQ(readProfileString(c.path, "S", "k", kDefault), kDefault)
            << "the lenient read still gives the default";
    }

    // A file without read permission, in a folder the reader may enter.
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    writeFile(dir / "ZedorErurav.ini", "[Config]\r\nDados=v\r\n");
    std::filesystem::permissions(dir / "ZedorErurav.ini", std::filesystem::perms::owner_write);
    EXPECT_TRUE(asUnprivilegedUser([&] {
        try {
            readProfileStringStrict(q(dir / "ZedorErurav.ini"), "Config", "Dados", kDefault);
        } catch (const ProfileError& e) {
            return e.message() == QStringLiteral("Acesso negado.");
        }
        return false;
    }));
}

// ---- Writing --------------------------------------------------------------------------------

struct WriteCase {
    const char* what;
    std::string before;
    const char* section;
    const char* key;
    QString value;
    std::string after;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.what;
}

class ProfileWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWrite, ChangesOneLineAndKeepsEveryOtherByte) {
    const WriteCase& c = GetParam();
    TempDir dir;
    if (!c.before.empty())
        writeFile(dir / "a.ini", c.before);
    writeProfileString(q(dir / "a.ini"), c.section, c.key, c.value);
    EXPECT_EQ(readFile(dir / "a.ini"), c.after) << c.what;
    EXPECT_EQ(readProfileString(q(dir / "a.ini"), c.section, c.key, kDefault), c.value) << c.what;
}

// A file with comments, blank lines, mixed line ends, a byte Windows-1252 leaves undefined and
// no line end at its end.
const std::string kMixed = "; shop settings\r\n"
                           "[Config]\n"
                           "Dados=OLD\r\n"
                           "  ; a note \x81\n"
                           "IncluiUnVenda = 1\r\n"
                           "\r\n"
                           "[Outra]\n"
                           "x=P\xE3o";

INSTANTIATE_TEST_SUITE_P(
    Semantics, ProfileWrite,
    testing::Values(
        WriteCase{"a value is replaced in its own line only", kMixed, "CONFIG", "dados", "NEW",
                  "; shop settings\r\n[Config]\ndados=NEW\r\n  ; a note \x81\nIncluiUnVenda = "
                  "1\r\n\r\n[Outra]\nx=P\xE3o"},
        WriteCase{"a new key goes after the section's last non-blank line, with its line end",
                  kMixed, "Config", "Novo", "v",
                  "; shop settings\r\n[Config]\nDados=OLD\r\n  ; a note \x81\nIncluiUnVenda = "
                  "1\r\nNovo=v\r\n\r\n[Outra]\nx=P\xE3o"},
        WriteCase{"a new key in the last section ends the unterminated last line first", kMixed,
                  "Outra", "y", QString::fromUtf8("ç"),
                  "; shop settings\r\n[Config]\nDados=OLD\r\n  ; a note \x81\nIncluiUnVenda = "
                  "1\r\n\r\n[Outra]\nx=P\xE3o\r\ny=\xE7"},
        WriteCase{"a new section goes at the end, with the file's first line end", kMixed, "Nova",
                  "k", "1",
                  "; shop settings\r\n[Config]\nDados=OLD\r\n  ; a note \x81\nIncluiUnVenda = "
                  "1\r\n\r\n[Outra]\nx=P\xE3o\r\n[Nova]\r\nk=1\r\n"},
        WriteCase{"LF files stay LF", "[S]\na=1\n", "T", "b", "2", "[S]\na=1\n[T]\nb=2\n"},
        WriteCase{"only the first of two equal keys changes", "[S]\nk=1\nk=2\n", "S", "K", "3",
                  "[S]\nK=3\nk=2\n"},
        WriteCase{"only the first of two equal sections is written", "[S]\na=1\n\n[S]\nk=2\n", "s",
                  "k", "3", "[S]\na=1\nk=3\n\n[S]\nk=2\n"},
        WriteCase{"a new file is Windows-1252 with CR LF", "", "Config", "Dados",
                  QString::fromUtf8("Pão €"), "[Config]\r\nDados=P\xE3o \x80\r\n"},
        WriteCase{"UTF-16 files are written in UTF-16 and keep their other bytes",
                  utf16(u"; nota\r\n[Config]\r\nDados=OLD\r\nk=1\r\n"), "Config", "Dados",
                  QString::fromUtf8("Pão ☃"),
                  utf16(u"; nota\r\n[Config]\r\nDados=Pão ☃\r\nk=1\r\n")},
        WriteCase{"a new key in a UTF-16 file", utf16(u"[S]\nk=1"), "S", "j", "2",
                  utf16(u"[S]\nk=1\nj=2")},
        WriteCase{"a UTF-8 file keeps its byte-order mark and is written in UTF-8",
                  "\xEF\xBB\xBF[Config]\r\nDados=OLD\r\nnota=P\xC3\xA3o\r\n", "Config", "Dados",
                  QString::fromUtf8("Pão ☃"),
                  "\xEF\xBB\xBF[Config]\r\nDados=P\xC3\xA3o \xE2\x98\x83\r\nnota=P\xC3\xA3o\r\n"},
        WriteCase{"a new key and section in a UTF-8 file", "\xEF\xBB\xBF[Config]\nDados=1\n",
                  "Seção", "k", QString::fromUtf8("é"),
                  "\xEF\xBB\xBF[Config]\nDados=1\n[Se\xC3\xA7\xC3\xA3o]\nk=\xC3\xA9\n"}),
    [](const testing::TestParamInfo<WriteCase>& info) {
        return "case" + std::to_string(info.index);
    });

TEST(ProfileWriteNames, RefusesTextThatWouldChangeTheFileStructureAndLeavesTheFileAlone) {
    TempDir dir;
    const std::string before = "[S]\r\nk=1\r\n";
    writeFile(dir / "a.ini", before);
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {{"S", "k", "1\r\n[T]"}, {"S", "k", "1\nx=2"}, {"S]x", "k", "1"},
                 {"", "k", "1"},         {"S\n", "k", "1"},    {"S", "a=b", "1"},
                 {"S", ";k", "1"},       {"S", "[k]", "1"},    {"S", " ", "1"}};
    for (const auto& c : cases) {
        EXPECT_THROW(writeProfileString(q(dir / "a.ini"), c.section, c.key, c.value), ProfileError)
            << c.section << "/" << c.key << "=" << c.value;
    }
    EXPECT_EQ(readFile(dir / "a.ini"), before);
}

TEST(ProfileWriteFailure, ReportsTheReasonAndLeavesTheFileAlone) {
    TempDir dir;
    writeFile(dir / "readonly.ini", "[S]\r\nk=1\r\n");
    std::filesystem::permissions(dir / "readonly.ini", std::filesystem::perms::owner_read |
                                                           std::filesystem::perms::group_read);
    std::filesystem::create_directory(dir / "folder.ini");
    ASSERT_EQ(mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
    writeFile(dir / "garbage.ini", std::string(100, '\0'));
    ASSERT_EQ(truncate((dir / "garbage.ini").c_str(), kMaxProfileFileSize + 1), 0);

    const struct {
        QString path;
        QString reason;
    } cases[] = {
        {q(dir / "readonly.ini"), "O arquivo está marcado como somente leitura."},
        {q(dir / "folder.ini"), "O caminho é uma pasta, não um arquivo."},
        {q(dir / "fifo.ini"), "O caminho não é um arquivo comum."},
        {q(dir / "garbage.ini"), "O arquivo é grande demais para um arquivo de configuração."},
        {q(dir / "missing" / "a.ini"), "O arquivo ou a pasta não existe."},
        {q(dir / "readonly.ini" / "a.ini"), "Uma parte do caminho não é uma pasta."},
        // A folder no one may create files in, root included.
        {"/proc/self/vorn-test.ini", ""},
    };
    for (const auto& c : cases) {
        try {
            writeProfileString(c.path, "S", "k", "2");
            ADD_FAILURE() << "no failure for " << c.path.toStdString();
        } catch (const ProfileError& e) {
            if (c.reason.isEmpty())
                EXPECT_FALSE(e.message().isEmpty()) << c.path.toStdString();
            else
                EXPECT_EQ(e.message(), c.reason) << c.path.toStdString();
        }
    }
    EXPECT_EQ(readFile(dir / "readonly.ini"), "[S]\r\nk=1\r\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir / "folder.ini"));
    EXPECT_FALSE(std::filesystem::exists("/proc/self/vorn-test.ini"));
}

TEST(ProfileWrite, EachWriteIsSeenByTheNextReadAndTheFileKeepsItsPermissions) {
    TempDir dir;
    const QString file = q(dir / "a.ini");
    writeFile(dir / "a.ini", "[S]\r\nk=0123456789\r\n");
    std::filesystem::permissions(dir / "a.ini", std::filesystem::perms::owner_read |
                                                    std::filesystem::perms::owner_write);
    writeProfileString(file, "S", "k", "1"); // shorter: the file is cut to its new size
    EXPECT_EQ(readProfileString(file, "S", "k", kDefault), "1");
    writeProfileString(file, "S", "j", "2");
    writeProfileString(file, "T", "k", "3");
    EXPECT_EQ(readProfileString(file, "S", "k", kDefault), "1");
    EXPECT_EQ(readProfileString(file, "S", "j", kDefault), "2");
    EXPECT_EQ(readProfileString(file, "T", "k", kDefault), "3");
    EXPECT_EQ(readFile(dir / "a.ini"), "[S]\r\nk=1\r\nj=2\r\n[T]\r\nk=3\r\n");
    EXPECT_EQ(std::filesystem::status(dir / "a.ini").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(ProfileWrite, AWriteThatFailsHalfwayLeavesTheFormerFileWhole) {
    TempDir dir;
    const std::string before = "[Config]\r\nDados=00112233445566778899AABBCCDDEEFF\r\n";
    writeFile(dir / "ZedorErurav.ini", before);
    // Files of this process may not grow past 64 bytes: the new text cannot be written whole,
    // as on a full disk.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool failed = false;
    try {
        writeProfileString(q(dir / "ZedorErurav.ini"), "Config", "IncluiUnVenda",
                           QString(80, u'1'));
    } catch (const ProfileError&) {
        failed = true;
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);
    EXPECT_TRUE(failed);
    EXPECT_EQ(readFile(dir / "ZedorErurav.ini"), before);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

} // namespace
