#include "common/uFuncDirsArqs.h"

#include "platform/MessageBox.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

using vorn::common::TFuncDirArq;
using vorn::platform::MessageBoxRecorder;
using vorn::test::q;
using vorn::test::readFile;
using vorn::test::ScopedEnv;
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

namespace fs = std::filesystem;

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// ---- Is64BitFile --------------------------------------------------------------------------------

// A PE image header: "MZ", the PE offset at 0x3C, "PE\0\0" and the Machine field, padded.
std::string peImage(std::uint16_t machine, std::uint32_t peOffset = 0x80) {
    std::string b(peOffset + 0x100, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    for (int i = 0; i < 4; ++i)
        b[0x3C + i] = static_cast<char>((peOffset >> (8 * i)) & 0xFF);
    b.replace(peOffset, 4, std::string("PE\0\0", 4));
    b[peOffset + 4] = static_cast<char>(machine & 0xFF);
    b[peOffset + 5] = static_cast<char>(machine >> 8);
    return b;
}

TEST(Is64BitFile, ReadsTheMachineField) {
    TempDir dir;
    writeFile(dir / "x64.dll", peImage(0x8664));
    writeFile(dir / "x86.dll", peImage(0x014C));
    writeFile(dir / "arm64.dll", peImage(0xAA64, 0x40));
    EXPECT_TRUE(TFuncDirArq::Is64BitFile(q(dir / "x64.dll")));
    EXPECT_FALSE(TFuncDirArq::Is64BitFile(q(dir / "x86.dll")));
    EXPECT_FALSE(TFuncDirArq::Is64BitFile(q(dir / "arm64.dll")));
}

TEST(Is64BitFile, FilesThatAreNotPeImagesThrowNamingTheFile) {
    TempDir dir;
    const std::string good = peImage(0x8664);
    std::string noPe = good;
    noPe[0x80] = 'X';
    std::string farOffset = good;
    farOffset[0x3F] = '\x7F'; // the PE header would lie 2 GiB into a small file
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty.dll", ""},
        {"text.dll", "just some text, long enough to hold a header offset....................."},
        {"dos-cut.dll", good.substr(0, 0x30)},
        {"pe-cut.dll", good.substr(0, 0x83)},
        {"no-pe.dll", noPe},
        {"far offset.dll", farOffset},
    };
    for (const auto& c : cases) {
        writeFile(dir / c.name, c.bytes);
        try {
            TFuncDirArq::Is64BitFile(q(dir / c.name));
            ADD_FAILURE() << c.name << ": no error";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.name), std::string::npos) << e.what();
        }
    }
    fs::create_directory(dir / "folder.dll");
    for (const QString& bad : {q(dir / "missing.dll"), q(dir / "folder.dll"), QString()})
        EXPECT_THROW(TFuncDirArq::Is64BitFile(bad), std::runtime_error) << bad.toStdString();
}

// ---- Paths and names ----------------------------------------------------------------------------

TEST(GetDirRaiz, FirstLevelFolderInFolderForm) {
    const struct {
        const char* path;
        const char* root;
    } cases[] = {
        {"/srv/dados/base.fdb", "/srv/"},
        {"/srv/", "/srv/"},
        {"/srv", "/srv/"}, // a single "/": the whole path in folder form
        {"/base.fdb", "/base.fdb/"},
        {"//servidor/dados/x", "//servidor/"},
        {"  /srv/dados \t", "/srv/"},
        {"relativo/x/y", "relativo/x/"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFuncDirArq::GetDirRaiz(QString::fromUtf8(c.path)), QString::fromUtf8(c.root))
            << c.path;
}

TEST(SetExtArqSeNaoTiver, AppendsUnlessTheExtensionIsExactlyThat) {
    const struct {
        const char* name;
        const char* ext;
        const char* result;
    } cases[] = {
        {"relatorio", "txt", "relatorio.txt"},
        {"relatorio.TXT", "txt", "relatorio.TXT.txt"},
        {"relatorio.txt", "txt", "relatorio.txt"},
        {"/dados.v2/relatorio", "txt", "/dados.v2/relatorio.txt"},
        {"relatorio.tar.gz", "gz", "relatorio.tar.gz"},
        {"", "txt", ".txt"},
    };
    for (const auto& c : cases) {
        QString name = QString::fromUtf8(c.name);
        TFuncDirArq::SetExtArqSeNaoTiver(name, QString::fromUtf8(c.ext));
        EXPECT_EQ(name, QString::fromUtf8(c.result)) << c.name;
    }
}

TEST(GetNomeArquivoSemExtensao, NameWithTheFirstOccurrenceOfItsExtensionRemoved) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"/srv/nfe/nota.xml", "nota"},
        {"a.txt.b.txt", "a.b.txt"},
        {"/srv/v1.2/LEIAME", "LEIAME"},
        {"/srv/nfe/nota fiscal ç.xml", "nota fiscal ç"},
        {"arquivo.", "arquivo"},
        {"/srv/nfe/", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFuncDirArq::GetNomeArquivoSemExtensao(QString::fromUtf8(c.path)),
                  QString::fromUtf8(c.name))
            << c.path;
}

// ---- DirValido ----------------------------------------------------------------------------------

TEST(DirValido, RefusesShortMissingAndUnwritablePathsWithABox) {
    TempDir dir;
    writeFile(dir / "file", "x");
    const QString semPasta =
        QStringLiteral("O diretório selecionado é inválido. A operação não pode ser salva na raiz. "
                       "Você precisa informar um pasta.");
    const QString missing = q(dir / "missing") + "/";
    const QString file = q(dir / "file") + "/";
    const struct {
        QString path;
        QString text;
    } cases[] = {
        {QStringLiteral("/"), semPasta},
        {QStringLiteral("/tm"), semPasta},
        {missing, "O diretório " + missing + " não existe."},
        {file, "O diretório " + file + " não existe."},
        // A folder that exists and that nobody, root included, can create files in.
        {QStringLiteral("/proc/"), QStringLiteral("O diretório /proc/ não está disponível para "
                                                  "gravações.")},
    };
    for (const auto& c : cases) {
        MessageBoxRecorder boxes;
        EXPECT_FALSE(TFuncDirArq::DirValido(c.path)) << c.path.toStdString();
        ASSERT_EQ(boxes.shown().size(), 1u) << c.path.toStdString();
        EXPECT_EQ(boxes.shown()[0].caption, "Houve um erro");
        EXPECT_EQ(boxes.shown()[0].text, c.text);
    }
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"file"});
}

TEST(DirValido, AWritableFolderPassesAndATempTxtThereSurvives) {
    TempDir dir;
    const auto folder = dir / "pasta com 'aspas' & ç";
    fs::create_directory(folder);
    writeFile(folder / "Temp.txt", "the operator's own notes");
    MessageBoxRecorder boxes;
    EXPECT_TRUE(TFuncDirArq::DirValido(q(folder) + "/"));
    // Without the final "/", the probe still goes inside the folder, not beside it.
    EXPECT_TRUE(TFuncDirArq::DirValido(q(folder)));
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(readFile(folder / "Temp.txt"), "the operator's own notes");
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"Temp.txt"});
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"pasta com 'aspas' & ç"});
}

// ---- SelecionaDiretorio -------------------------------------------------------------------------

// Drives the folder picker once it is up: checks caption and start folder, then picks `choose`
// (or cancels when it is empty).
struct PickerDriver {
    PickerDriver(const QString& choose) {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this, choose] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer.stop();
            caption = dialog->windowTitle();
            start = dialog->directory().absolutePath();
            directoryMode = dialog->fileMode() == QFileDialog::Directory;
            if (choose.isEmpty()) {
                dialog->reject();
            } else {
                dialog->setDirectory(choose);
                dialog->selectFile(choose);
                static_cast<QDialog*>(dialog)->accept(); // OK, as the operator presses it
            }
        });
        timer.start();
    }
    QTimer timer;
    QString caption;
    QString start;
    bool directoryMode = false;
};

TEST(SelecionaDiretorio, OkGivesTheFolderInFolderFormCancelLeavesTheTextAlone) {
    TempDir dir;
    const auto start = dir / "início";
    const auto chosen = dir / "nota fiscal 'ç' & ;";
    fs::create_directory(start);
    fs::create_directory(chosen);

    QString selected = QStringLiteral("untouched");
    {
        PickerDriver driver(q(chosen));
        EXPECT_TRUE(
            TFuncDirArq::SelecionaDiretorio(QStringLiteral("Escolha a pasta"), q(start), selected));
        EXPECT_EQ(driver.caption, "Escolha a pasta");
        EXPECT_EQ(driver.start, q(start));
        EXPECT_TRUE(driver.directoryMode);
    }
    EXPECT_EQ(selected, q(chosen) + "/");

    selected = QStringLiteral("untouched");
    {
        PickerDriver driver{QString()};
        EXPECT_FALSE(TFuncDirArq::SelecionaDiretorio(QStringLiteral("Outra"), q(start), selected));
        EXPECT_EQ(driver.caption, "Outra");
    }
    EXPECT_EQ(selected, "untouched");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// ---- CopyOrMoveFiles ----------------------------------------------------------------------------

struct CopyMoveFixture : testing::Test {
    void SetUp() override {
        fs::create_directory(src);
        fs::create_directory(dst);
        writeFile(src / "a.xml", "a");
        writeFile(src / "NOTA 'ç' & ;.XML", "nota");
        writeFile(src / ".oculta.xml", "h");
        writeFile(src / "b.txt", "b");
        fs::create_directory(src / "pasta.xml");
        writeFile(src / "pasta.xml" / "inner.xml", "inner");
        writeFile(dst / "a.xml", "older destination");
    }
    TempDir dir;
    fs::path src = dir / "origem";
    fs::path dst = dir / "destino";
};

TEST_F(CopyMoveFixture, CopyReplacesAndSkipsFolders) {
    // Blanks around the folders are trimmed; the missing final "/" is added.
    TFuncDirArq::CopyOrMoveFiles(" " + q(src) + " ", QStringLiteral("*.xml"), q(dst), 1);
    EXPECT_EQ(namesIn(dst), (std::vector<std::string>{".oculta.xml", "NOTA 'ç' & ;.XML", "a.xml"}));
    EXPECT_EQ(readFile(dst / "a.xml"), "a");
    EXPECT_EQ(readFile(dst / "NOTA 'ç' & ;.XML"), "nota");
    EXPECT_EQ(namesIn(src).size(), 5u); // sources stay
}

TEST_F(CopyMoveFixture, MoveReplacesTheDestinationAndEmptiesTheSource) {
    TFuncDirArq::CopyOrMoveFiles(q(src) + "/", QStringLiteral("*.xml"), q(dst) + "/", 2);
    EXPECT_EQ(readFile(dst / "a.xml"), "a");
    EXPECT_EQ(readFile(dst / "NOTA 'ç' & ;.XML"), "nota");
    EXPECT_EQ(namesIn(src), (std::vector<std::string>{"b.txt", "pasta.xml"}));
    EXPECT_EQ(readFile(src / "pasta.xml" / "inner.xml"), "inner");
}

TEST_F(CopyMoveFixture, OtherModesDoNothing) {
    for (std::int32_t mode : {0, 3, -1})
        TFuncDirArq::CopyOrMoveFiles(q(src), QStringLiteral("*.*"), q(dst), mode);
    EXPECT_EQ(namesIn(dst), std::vector<std::string>{"a.xml"});
    EXPECT_EQ(readFile(dst / "a.xml"), "older destination");
    EXPECT_EQ(namesIn(src).size(), 5u);
}

TEST_F(CopyMoveFixture, SourceAndDestinationTheSameFolderLoseNothing) {
    for (std::int32_t mode : {1, 2})
        TFuncDirArq::CopyOrMoveFiles(q(src), QStringLiteral("*.*"), q(src) + "/", mode);
    EXPECT_EQ(readFile(src / "a.xml"), "a");
    EXPECT_EQ(readFile(src / "b.txt"), "b");
    EXPECT_EQ(namesIn(src).size(), 5u);
}

TEST_F(CopyMoveFixture, MissingFoldersAreSilent) {
    TFuncDirArq::CopyOrMoveFiles(q(dir / "none"), QStringLiteral("*.*"), q(dst), 2);
    // Into a missing folder every file fails and stays where it was.
    TFuncDirArq::CopyOrMoveFiles(q(src), QStringLiteral("*.*"), q(dir / "none"), 2);
    TFuncDirArq::CopyOrMoveFiles(q(src), QStringLiteral("*.*"), q(dir / "none"), 1);
    EXPECT_EQ(namesIn(src).size(), 5u);
    EXPECT_FALSE(fs::exists(dir / "none"));
}

TEST(CopyOrMoveFiles, MoveAcrossFileSystemsCopiesThenDeletes) {
    TempDir dir;
    struct stat a {};
    struct stat b {};
    if (stat("/dev/shm", &b) != 0 || stat(dir.path().c_str(), &a) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "no second file system to move across";
    char pattern[] = "/dev/shm/vorn-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dst = pattern;
    writeFile(dir / "n.xml", "moved");
    writeFile(dst / "n.xml", "older");
    TFuncDirArq::CopyOrMoveFiles(q(dir.path()), QStringLiteral("*.xml"), q(dst), 2);
    const std::string moved = readFile(dst / "n.xml");
    const bool sourceGone = !fs::exists(dir / "n.xml");
    const auto left = namesIn(dst);
    fs::remove_all(dst);
    EXPECT_EQ(moved, "moved");
    EXPECT_TRUE(sourceGone);
    EXPECT_EQ(left, std::vector<std::string>{"n.xml"});
}

// ---- GetWinSystemDir ----------------------------------------------------------------------------

TEST(GetWinSystemDir, The32BitLibraryFolderElseTheFolderOfTheRunningCLibrary) {
    const QString result = TFuncDirArq::GetWinSystemDir();
    if (QFileInfo(QStringLiteral("/usr/lib/i386-linux-gnu/")).isDir()) {
        EXPECT_EQ(result, "/usr/lib/i386-linux-gnu/");
        return;
    }
    // The C library this process has mapped, as the kernel names it.
    std::ifstream maps("/proc/self/maps");
    std::string line;
    QString libc;
    while (std::getline(maps, line)) {
        const auto slash = line.find('/');
        if (slash != std::string::npos && line.find("/libc.so") != std::string::npos) {
            libc = QString::fromStdString(line.substr(slash));
            break;
        }
    }
    ASSERT_FALSE(libc.isEmpty());
    EXPECT_FALSE(result.endsWith('/'));
    EXPECT_TRUE(QFileInfo(result).isAbsolute());
    EXPECT_EQ(QFileInfo(result).canonicalFilePath(), QFileInfo(libc).canonicalPath());
}

// ---- Counting and listing -----------------------------------------------------------------------

struct FolderFixture : testing::Test {
    void SetUp() override {
        fs::create_directory(root);
        writeFile(root / "a.txt", "");
        writeFile(root / "B.TXT", "");
        writeFile(root / ".oculto.txt", "");
        writeFile(root / "c.xml", "");
        writeFile(root / "LEIAME", "");
        ASSERT_EQ(mkfifo((root / "fila.txt").c_str(), 0644), 0);
        fs::create_directory(root / "sub.txt");
        fs::create_directory(root / "Ção");
        fs::create_directory(root / ".cfg");
        fs::create_directories(root / "sub.txt" / "deeper");
        fs::create_symlink(root / "nowhere", root / "quebrado.txt");
        fs::create_directory(dir / "elsewhere");
        fs::create_symlink(dir / "elsewhere", root / "atalho");
    }
    TempDir dir;
    fs::path root = dir / "pasta";
};

TEST_F(FolderFixture, GetQtdeArqCountsFilesOfTheExtensionAndNamesHiddenAndSystemOnes) {
    QString hidden = "stale";
    QString system = "stale";
    // a.txt, B.TXT, .oculto.txt, fila.txt (a FIFO: system), quebrado.txt (a dangling link).
    EXPECT_EQ(TFuncDirArq::GetQtdeArq(q(root), QStringLiteral("txt"), hidden, system), 5);
    EXPECT_EQ(hidden, ".oculto.txt");
    EXPECT_EQ(system, "fila.txt");

    // "*" counts every file: the five above plus c.xml and LEIAME.
    EXPECT_EQ(TFuncDirArq::GetQtdeArq(" " + q(root) + "/ ", QStringLiteral("*"), hidden, system),
              7);
    EXPECT_EQ(TFuncDirArq::GetQtdeArq(q(root), QStringLiteral("xml"), hidden, system), 1);
    EXPECT_EQ(hidden, "");
    EXPECT_EQ(system, "");

    hidden = system = "stale";
    EXPECT_EQ(TFuncDirArq::GetQtdeArq(q(dir / "missing"), QStringLiteral("*"), hidden, system), 0);
    EXPECT_EQ(hidden, "");
    EXPECT_EQ(system, "");
    EXPECT_EQ(TFuncDirArq::GetQtdeArq(QString(), QStringLiteral("*"), hidden, system), 0);
}

TEST_F(FolderFixture, GetQtdePastaUmNivelAbaixoCountsOnlyDirectSubfolders) {
    QString hidden = "stale";
    QString system = "stale";
    // .cfg, atalho (a link to a folder), sub.txt, Ção; not sub.txt/deeper.
    EXPECT_EQ(TFuncDirArq::GetQtdePastaUmNivelAbaixo(q(root), hidden, system), 4);
    EXPECT_EQ(hidden, ".cfg");
    EXPECT_EQ(system, "");
    hidden = "stale";
    EXPECT_EQ(TFuncDirArq::GetQtdePastaUmNivelAbaixo(q(root / "a.txt"), hidden, system), 0);
    EXPECT_EQ(hidden, "");
}

TEST_F(FolderFixture, GetListaPastasListsSubfolderNamesInOrder) {
    QStringList list{"stale"};
    TFuncDirArq::GetListaPastas(q(root), list);
    EXPECT_EQ(list, (QStringList{".cfg", "atalho", "sub.txt", "Ção"}));
    TFuncDirArq::GetListaPastas(q(dir / "missing"), list);
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(FolderFixture, DirIsEmpty) {
    fs::create_directory(dir / "vazia");
    fs::create_directory(dir / "so-subpasta");
    fs::create_directory(dir / "so-subpasta" / "x");
    fs::create_directory(dir / "so-oculto");
    writeFile(dir / "so-oculto" / ".x", "");
    const struct {
        QString path;
        bool empty;
    } cases[] = {
        {q(dir / "vazia") + "/", true},
        {q(dir / "vazia"), true}, // without the "/", still that folder, not its siblings
        {q(dir / "so-subpasta") + "/", false},
        {q(dir / "so-oculto") + "/", false},
        {q(root), false},
        {q(dir / "missing") + "/", true},
        {q(root / "a.txt") + "/", true},
        {QString(), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFuncDirArq::DirIsEmpty(c.path), c.empty) << c.path.toStdString();
}

// ---- TamanhoArquivo -----------------------------------------------------------------------------

TEST(TamanhoArquivo, SizeCutToItsLow32Bits) {
    TempDir dir;
    const struct {
        const char* name;
        std::uint64_t size;
        std::int32_t result;
    } cases[] = {
        {"empty", 0, 0},
        {"small ç.txt", 1234, 1234},
        {"2GiB-1", 0x7FFFFFFFull, 0x7FFFFFFF},
        {"3GiB", 3ull << 30, -(1 << 30)},
        {"5GiB", 5ull << 30, 1 << 30},
        {"4GiB", 4ull << 30, 0},
    };
    for (const auto& c : cases) {
        { std::ofstream(dir / c.name).flush(); }
        fs::resize_file(dir / c.name, c.size); // sparse: takes no disk space
        EXPECT_EQ(TFuncDirArq::TamanhoArquivo(q(dir / c.name)), c.result) << c.name;
    }
}

TEST(TamanhoArquivo, UnopenableFilesThrowNamingTheFile) {
    TempDir dir;
    fs::create_directory(dir / "pasta");
    for (const QString& bad : {q(dir / "missing.txt"), q(dir / "pasta"), QString()}) {
        try {
            TFuncDirArq::TamanhoArquivo(bad);
            ADD_FAILURE() << bad.toStdString() << ": no error";
        } catch (const std::runtime_error& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(bad)) << e.what();
        }
    }
}

// ---- GetConteudoArquivoTexto --------------------------------------------------------------------

TEST(GetConteudoArquivoTexto, ByteOrderMarksUtf8AndWindows1252) {
    TempDir dir;
    const struct {
        const char* name;
        std::string bytes;
        QString text;
    } cases[] = {
        {"utf8-bom",
         "\xEF\xBB\xBF"
         "A\xC3\xA7\xC3\xA3o\r\n",
         QStringLiteral("Ação\r\n")},
        {"utf16le",
         std::string("\xFF\xFE"
                     "A\0\xE7\0\xAC\x20",
                     8),
         QStringLiteral("Aç€")},
        {"utf16be", std::string("\xFE\xFF\0A\0\xE7\x20\xAC", 8), QStringLiteral("Aç€")},
        {"utf8", "A\xC3\xA7\xC3\xA3o \xE2\x82\xAC", QStringLiteral("Ação €")},
        {"cp1252", "A\xE7\xE3o \x80", QStringLiteral("Ação €")},
        // Valid UTF-8 up to a cut-off sequence at the end: not UTF-8.
        {"cut utf8", "A\xC3\xA7\xC3", QStringLiteral("AÃ§Ã")},
        {"empty", "", QString()},
        {"bom only", "\xEF\xBB\xBF", QString()},
    };
    for (const auto& c : cases) {
        writeFile(dir / c.name, c.bytes);
        EXPECT_EQ(TFuncDirArq::GetConteudoArquivoTexto(q(dir / c.name)), c.text) << c.name;
    }
    fs::create_directory(dir / "pasta");
    for (const QString& bad : {q(dir / "missing.txt"), q(dir / "pasta"), QString()})
        EXPECT_THROW(TFuncDirArq::GetConteudoArquivoTexto(bad), std::runtime_error)
            << bad.toStdString();
}

// ---- CompartilhaDir -----------------------------------------------------------------------------

// A stand-in for `net`, first on PATH: it records its arguments (one per line, NUL-separated) and
// takes a moment, so a caller that does not wait would find no record.
struct FakeNet {
    FakeNet() {
        writeFile(bin / "net",
                  "#!/bin/sh\n"
                  "sleep 0.3\n"
                  "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$VORN_NET_RECORD\"\n");
        fs::permissions(bin / "net", fs::perms::owner_all);
    }
    QStringList recorded() const {
        if (!fs::exists(record))
            return {};
        QStringList args =
            QString::fromUtf8(QByteArray::fromStdString(readFile(record))).split(QChar(0));
        args.removeLast();
        return args;
    }
    TempDir dir;
    fs::path bin = dir.path();
    fs::path record = dir / "record";
    ScopedEnv path{"PATH", bin.string() + ":" + qEnvironmentVariable("PATH").toStdString()};
    ScopedEnv where{"VORN_NET_RECORD", record.string()};
};

TEST(CompartilhaDir, NameAndFolderReachNetAsArgumentsNeverAsCommands) {
    FakeNet net;
    TempDir share;
    const auto folder = share / "a b 'q\" $(touch x) & ;";
    fs::create_directory(folder);
    const QString name = QStringLiteral("Loja & touch pwned; \"x\" -s");

    TFuncDirArq::CompartilhaDir(q(folder) + "/", name);

    EXPECT_EQ(net.recorded(), (QStringList{"usershare", "add", "--", name, q(folder)}));
    EXPECT_FALSE(fs::exists(share / "pwned"));
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_EQ(namesIn(share.path()).size(), 1u);
}

TEST(CompartilhaDir, OnlyOneFinalSlashGoesAndAMissingNetIsIgnored) {
    {
        FakeNet net;
        TFuncDirArq::CompartilhaDir(QStringLiteral("/srv/dados//"), QStringLiteral("DADOS"));
        EXPECT_EQ(net.recorded(), (QStringList{"usershare", "add", "--", "DADOS", "/srv/dados/"}));
    }
    TempDir empty;
    ScopedEnv path("PATH", empty.path().string());
    TFuncDirArq::CompartilhaDir(QStringLiteral("/srv/dados"), QStringLiteral("DADOS"));
}

} // namespace
