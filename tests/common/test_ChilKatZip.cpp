// TChilKat's zip and Base64 operations, checked with unzip, 7z and openssl.

#include "SigningFixtures.h"
#include "common/ApiChilKat.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace vorn::common;
using namespace vorn::test;

namespace {

// The entry names of an archive, sorted, as unzip lists them.
QStringList names(const QString& archive) {
    QStringList result = runTool("unzip", {"-Z1", archive}).output.split('\n', Qt::SkipEmptyParts);
    result.sort();
    return result;
}

class ChilKatZip : public ::testing::Test {
protected:
    TempDir dir;
    QString file(const char* name, const std::string& content) {
        writeFile(dir / name, content);
        return q(dir / name);
    }
};

// Every entry opens with the password in two independent tools, a wrong password is refused,
// and the archive says its entries are encrypted; without a password, a plain archive.
TEST_F(ChilKatZip, ArchivesOpenInUnzipAnd7zWithTheirPassword) {
    std::filesystem::create_directory(dir / "in");
    writeFile(dir / "in" / "a.txt", "primeiro arquivo\n");
    writeFile(dir / "in" / "b.log", std::string(5000, 'b'));
    writeFile(dir / "in" / "c.log", "terceiro\n");
    writeFile(dir / "in" / "d.dat", "fora do padrão\n");
    for (const QString& password : {QStringLiteral("s3gr3d0"), QString()}) {
        SCOPED_TRACE(password.toStdString());
        TChilKat chilkat;
        chilkat.FListaArquivos = {q(dir / "in" / "a.txt"), q(dir / "in" / "*.log")};
        const QString archive = q(dir / "saida.zip");
        ASSERT_TRUE(chilkat.ZipFiles(archive, password)) << chilkat.FErro.toStdString();
        EXPECT_EQ(chilkat.FListaArquivos.size(), 2); // left as it was

        EXPECT_EQ(names(archive), (QStringList{"a.txt", "b.log", "c.log"}));
        const QStringList pass = password.isEmpty() ? QStringList{} : QStringList{"-P", password};
        const ProcessResult unzip =
            runTool("unzip", QStringList{"-t"} + pass + QStringList{archive});
        EXPECT_EQ(unzip.exitCode, 0) << unzip.output.toStdString();
        const ProcessResult sevenZip = runTool("7z", {"t", "-p" + password, archive});
        EXPECT_EQ(sevenZip.exitCode, 0) << sevenZip.output.toStdString();
        const ProcessResult content =
            runTool("unzip", QStringList{"-p"} + pass + QStringList{archive, "a.txt"});
        EXPECT_EQ(content.output, "primeiro arquivo\n");
        const ProcessResult details = runTool("7z", {"l", "-slt", "-p" + password, archive});
        EXPECT_EQ(details.output.count("Encrypted = +"), password.isEmpty() ? 0 : 3);

        if (!password.isEmpty()) {
            EXPECT_NE(runTool("unzip", {"-t", "-P", "errada", archive}).exitCode, 0);
            EXPECT_NE(runTool("7z", {"t", "-perrada", archive}).exitCode, 0);
        }
    }
}

// A file that cannot be added fails at its own step, with its name in FErro; the archive is not
// written and an archive already there stays as it was.
TEST_F(ChilKatZip, AnEntryThatCannotBeAddedFailsAndWritesNothing) {
    const QString good = file("bom.txt", "bom");
    const QString unreadable = file("trancado.txt", "segredo");
    std::filesystem::permissions(dir / "trancado.txt", std::filesystem::perms::none);
    std::filesystem::create_directory(dir / "pasta");
    struct Case {
        const char* what;
        QString entry;
        bool skipAsRoot;
    } cases[] = {
        {"missing file", q(dir / "nao-existe.txt"), false},
        {"folder", q(dir / "pasta"), false},
        {"pattern in a missing folder", q(dir / "sumida" / "*.txt"), false},
        {"unreadable file", unreadable, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.skipAsRoot && geteuid() == 0)
            continue; // root reads everything
        const QString archive = q(dir / "saida.zip");
        writeFile(dir / "saida.zip", "anterior");
        TChilKat chilkat;
        chilkat.FListaArquivos = {good, c.entry, good};
        EXPECT_FALSE(chilkat.ZipFiles(archive, "senha"));
        EXPECT_TRUE(chilkat.FErro.contains(c.entry.section('/', 0, -2)))
            << chilkat.FErro.toStdString();
        EXPECT_EQ(readFile(dir / "saida.zip"), "anterior");
    }
    // Two entries with the same name would overwrite each other: refused.
    std::filesystem::create_directory(dir / "outra");
    writeFile(dir / "outra" / "bom.txt", "outro");
    TChilKat chilkat;
    chilkat.FListaArquivos = {good, q(dir / "outra" / "bom.txt")};
    EXPECT_FALSE(chilkat.ZipFiles(q(dir / "dup.zip"), ""));
    EXPECT_FALSE(std::filesystem::exists(dir / "dup.zip"));
    EXPECT_FALSE(chilkat.FErro.isEmpty());
}

// No entries (or a pattern that matches nothing) still gives a valid, empty archive.
TEST_F(ChilKatZip, NoEntriesWriteAValidEmptyArchive) {
    std::filesystem::create_directory(dir / "vazia");
    TChilKat chilkat;
    ASSERT_TRUE(chilkat.ZipFiles(q(dir / "vazio.zip"), "senha")) << chilkat.FErro.toStdString();
    ASSERT_TRUE(chilkat.ZipDirectory(q(dir / "pasta.zip"), q(dir / "vazia") + "/", ""));
    for (const char* name : {"vazio.zip", "pasta.zip"}) {
        const ProcessResult test = runTool("7z", {"t", q(dir / name)});
        EXPECT_EQ(test.exitCode, 0) << test.output.toStdString();
        EXPECT_EQ(std::filesystem::file_size(dir / name), 22u);
    }
}

// ZipDirectory takes what lies directly in the folder, not its subfolders; the folder text is
// used as given, so without the final separator the pattern reaches the folder's siblings.
TEST_F(ChilKatZip, ZipDirectoryIsNotRecursiveAndUsesTheFolderTextAsGiven) {
    std::filesystem::create_directories(dir / "dados" / "sub");
    writeFile(dir / "dados" / "um.txt", "1");
    writeFile(dir / "dados" / ".oculto", "2");
    writeFile(dir / "dados" / "sub" / "fundo.txt", "3");
    writeFile(dir / "dados-irmao.txt", "4");
    TChilKat chilkat;
    ASSERT_TRUE(chilkat.ZipDirectory(q(dir / "a.zip"), q(dir / "dados") + "/", "x"));
    EXPECT_EQ(names(q(dir / "a.zip")), (QStringList{".oculto", "um.txt"}));
    ASSERT_TRUE(chilkat.ZipDirectory(q(dir / "b.zip"), q(dir / "dados"), ""));
    EXPECT_EQ(names(q(dir / "b.zip")), (QStringList{"dados-irmao.txt"}));
    EXPECT_EQ(runTool("unzip", {"-t", "-P", "x", q(dir / "a.zip")}).exitCode, 0);
}

// An error left by an earlier failure stays after a later success.
TEST_F(ChilKatZip, AnEarlierErrorIsKeptAfterASuccess) {
    TChilKat chilkat;
    chilkat.FListaArquivos = {q(dir / "falta.txt")};
    ASSERT_FALSE(chilkat.ZipFiles(q(dir / "a.zip"), ""));
    const QString error = chilkat.FErro;
    chilkat.FListaArquivos = {file("ok.txt", "ok")};
    ASSERT_TRUE(chilkat.ZipFiles(q(dir / "a.zip"), ""));
    EXPECT_EQ(chilkat.FErro, error);
}

TEST_F(ChilKatZip, PdfToBase64GivesTheWholeFileAndFailsOnlyWhenItCannotRead) {
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += char(i * 7);
    const QString source = file("doc.pdf", bytes);
    TChilKat chilkat;
    QString base64 = "antes";
    ASSERT_TRUE(chilkat.PDFToBase64(source, base64));
    writeFile(dir / "b64.txt", base64.toStdString());
    const ProcessResult decoded = runTool(
        "openssl", {"base64", "-d", "-A", "-in", q(dir / "b64.txt"), "-out", q(dir / "de.bin")});
    ASSERT_EQ(decoded.exitCode, 0) << decoded.output.toStdString();
    EXPECT_EQ(readFile(dir / "de.bin"), bytes);

    QString empty = "antes";
    ASSERT_TRUE(chilkat.PDFToBase64(file("vazio.pdf", ""), empty));
    EXPECT_EQ(empty, "");

    for (const QString& bad : {q(dir / "nao-existe.pdf"), q(dir.path())}) {
        QString untouched = "antes";
        EXPECT_FALSE(chilkat.PDFToBase64(bad, untouched));
        EXPECT_EQ(chilkat.FErro, "Falha ao tentar carregar o arquivo " + bad);
        EXPECT_EQ(untouched, "antes");
    }
}

} // namespace
