#include "common/uFuncPubl.h"

#include "platform/DeveloperMarker.h"
#include "platform/MessageBox.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vorn::common;
using vorn::platform::MessageBoxRecorder;
using vorn::platform::MessageIcon;
using vorn::test::q;
using vorn::test::readFile;
using vorn::test::TempDir;
using vorn::test::writeFile;

namespace {

const QString kPrefixo = QString::fromUtf8("O sistema não conseguiu gravar no arquivo ");
const QString kMeio = QString::fromUtf8(
    ". Ou esse caminho não existe ou então seu Windows não permitiu a gravação. Solicite ao seu "
    "técnico para analisar o que ocorre. O erro gerado: ");

// ---- Settings helpers ---------------------------------------------------------------------------

TEST(LeIniBool, ReadsIntegersAndFallsBackToTheDefault) {
    TempDir dir;
    const struct {
        const char* stored; // nullptr: key missing
        bool whenDefaultTrue;
        bool whenDefaultFalse;
    } cases[] = {
        {"1", true, true},      {"0", false, false},
        {"2", true, true},      {"-1", true, true},
        {" 0 ", false, false},  {"abc", true, false},
        {"", true, false},      {"1.5", true, false},
        {"1x", true, false},    {"99999999999", true, false},
        {nullptr, true, false},
    };
    for (const auto& c : cases) {
        writeFile(dir / "a.ini", c.stored ? std::string("[Config]\r\nIncluiUnVenda=") + c.stored
                                          : std::string("[Config]\r\n"));
        const QString file = q(dir / "a.ini");
        EXPECT_EQ(LeIniBool(file, "Config", "IncluiUnVenda", true), c.whenDefaultTrue)
            << (c.stored ? c.stored : "(missing)");
        EXPECT_EQ(LeIniBool(file, "Config", "IncluiUnVenda", false), c.whenDefaultFalse)
            << (c.stored ? c.stored : "(missing)");
    }
}

TEST(LeIni, BadFilesGiveTheDefaultAndShowNothing) {
    TempDir dir;
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.push_back(static_cast<char>(i * 131 % 256));
    writeFile(dir / "garbage.ini", garbage);
    std::filesystem::create_directory(dir / "folder.ini");

    MessageBoxRecorder boxes;
    for (const QString& file : {q(dir / "garbage.ini"), q(dir / "folder.ini"),
                                q(dir / "missing.ini"), QString("/proc/self/mem")}) {
        EXPECT_EQ(LeIniString(file, "Config", "Dados", "d"), "d") << file.toStdString();
        EXPECT_TRUE(LeIniBool(file, "Config", "IncluiUnVenda", true)) << file.toStdString();
    }
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_FALSE(QFile::exists(q(dir / "missing.ini"))); // reading creates nothing
}

TEST(GravaIni, CreatesMissingFoldersAndFileAndTheNextReadSeesTheValue) {
    TempDir dir;
    const QString file = q(dir / "novo" / "pasta" / "ZedorErurav.ini");
    MessageBoxRecorder boxes;
    GravaIniString(file, "Config", "Dados", "531D953E9AABF600959CB604D9EDC35E");
    GravaIniBool(file, "Config", "IncluiUnVenda", false);
    EXPECT_EQ(LeIniString(file, "Config", "Dados", ""), "531D953E9AABF600959CB604D9EDC35E");
    EXPECT_FALSE(LeIniBool(file, "Config", "IncluiUnVenda", true));
    GravaIniBool(file, "config", "incluiunvenda", true);
    EXPECT_TRUE(LeIniBool(file, "Config", "IncluiUnVenda", false));
    EXPECT_EQ(readFile(dir / "novo" / "pasta" / "ZedorErurav.ini"),
              "[Config]\r\nDados=531D953E9AABF600959CB604D9EDC35E\r\nincluiunvenda=1\r\n");
    EXPECT_TRUE(boxes.shown().empty());
}

// Every failed write shows exactly one error box naming the file and the reason, then returns.
TEST(GravaIni, AFailedWriteShowsOneErrorBoxWithPathAndReason) {
    TempDir dir;
    writeFile(dir / "readonly.ini", "[Config]\r\nIncluiUnVenda=1\r\n");
    chmod((dir / "readonly.ini").c_str(), 0444);
    std::filesystem::create_directory(dir / "folder.ini");
    writeFile(dir / "afile", "x");

    const struct {
        QString path;
        QString reason; // empty: any non-empty reason
    } cases[] = {
        {q(dir / "readonly.ini"),
         QString::fromUtf8("O arquivo está marcado como somente leitura.")},
        {q(dir / "folder.ini"), QString::fromUtf8("O caminho é uma pasta, não um arquivo.")},
        // A folder that cannot be created because a file stands in its way.
        {q(dir / "afile" / "sub" / "a.ini"),
         QString::fromUtf8("Uma parte do caminho não é uma pasta.")},
        // A folder that exists but where no one may create a file, root included.
        {"/proc/self/ZedorErurav.ini", {}},
    };
    for (const auto& c : cases) {
        for (const bool asBool : {false, true}) {
            MessageBoxRecorder boxes;
            testing::internal::CaptureStderr();
            if (asBool)
                GravaIniBool(c.path, "Config", "IncluiUnVenda", false);
            else
                GravaIniString(c.path, "Config", "Dados", "X");
            const std::string err = testing::internal::GetCapturedStderr();
            ASSERT_EQ(boxes.shown().size(), 1u) << c.path.toStdString();
            const auto& box = boxes.shown()[0];
            EXPECT_EQ(box.caption, "Houve um erro");
            EXPECT_EQ(box.icon, MessageIcon::Critical);
            ASSERT_TRUE(box.text.startsWith(kPrefixo + c.path + kMeio)) << box.text.toStdString();
            const QString reason = box.text.sliced((kPrefixo + c.path + kMeio).size());
            if (c.reason.isEmpty())
                EXPECT_FALSE(reason.isEmpty());
            else
                EXPECT_EQ(reason, c.reason);
            EXPECT_NE(err.find(box.text.toStdString()), std::string::npos); // offscreen: stderr
        }
    }
    EXPECT_EQ(readFile(dir / "readonly.ini"), "[Config]\r\nIncluiUnVenda=1\r\n");
    EXPECT_FALSE(QFile::exists("/proc/self/ZedorErurav.ini"));
}

TEST(MensagemErro, ShowsTheErrorBoxAndReturnsOk) {
    MessageBoxRecorder boxes;
    testing::internal::CaptureStderr();
    EXPECT_EQ(MensagemErro("Falhou."), QMessageBox::Ok);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Houve um erro: Falhou.\n");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0],
              (vorn::platform::ShownMessageBox{"Houve um erro", "Falhou.", MessageIcon::Critical}));
}

// ---- Developer machine --------------------------------------------------------------------------

TEST(MaquinaDesenvolvimento, OnlyTheExactMarkerValueCounts) {
    TempDir dir;
    vorn::platform::ScopedDeveloperMarkerFile marker(q(dir / "MicroDesenvolvimento.ini"));
    const struct {
        const char* file; // nullptr: no marker file
        bool developer;
    } cases[] = {
        {"[Geral]\r\nchaveIdent=#904%%Kqz\r\n", true},
        {"[geral]\nCHAVEIDENT = #904%%Kqz \n", true}, // names and blanks as profile files read them
        {"[Geral]\r\nchaveIdent=#904%%kqz\r\n", false},
        {"[Geral]\r\nchaveIdent=#904%Kqz\r\n", false},
        {"[Geral]\r\nchaveIdent=#904%%Kqz.\r\n", false},
        {"[Outra]\r\nchaveIdent=#904%%Kqz\r\n", false},
        {"[Geral]\r\nchave=#904%%Kqz\r\n", false},
        {nullptr, false},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(dir / "MicroDesenvolvimento.ini");
        if (c.file)
            writeFile(dir / "MicroDesenvolvimento.ini", c.file);
        EXPECT_EQ(MaquinaDesenvolvimento(), c.developer) << (c.file ? c.file : "(no file)");
    }
}

// ---- Text helpers -------------------------------------------------------------------------------

TEST(ZeroLeft, PadsTrimmedTextWithZerosAndNeverCuts) {
    const struct {
        const char* text;
        int size;
        const char* result;
    } cases[] = {
        {" 7", 3, "007"},
        {"1234", 3, "1234"},
        {"12", 2, "12"},
        {"\t 5 \r\n", 4, "0005"},
        {"", 2, "00"},
        {" 7 ", -1, "7"},
        {"1", 15, "000000000000001"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ZeroLeft(c.text, c.size), c.result) << '"' << c.text << "\" " << c.size;
}

TEST(ZeroLeft, SizeZeroRaisesTheErrorForSupport) {
    try {
        ZeroLeft("7", 0);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "O tamanho final informado na função ZeroLeft não pode ser zero. "
                               "Contate o suporte técnico.");
    }
}

TEST(DigitosAleatorios, GivesTheCountOfUniformDecimalDigits) {
    EXPECT_EQ(DigitosAleatorios(0), "");
    EXPECT_EQ(DigitosAleatorios(-3), "");
    const QString five = DigitosAleatorios(5);
    EXPECT_EQ(five.size(), 5);
    // A long draw holds every digit and nothing else (a miss has odds below 1e-40).
    const QString many = DigitosAleatorios(2000);
    ASSERT_EQ(many.size(), 2000);
    for (char d = '0'; d <= '9'; ++d)
        EXPECT_TRUE(many.contains(QChar(d))) << d;
    for (const QChar c : many + five)
        EXPECT_TRUE(c >= u'0' && c <= u'9') << int(c.unicode());
    // Two calls right after each other do not repeat each other (odds of a clash: 1e-15).
    EXPECT_NE(DigitosAleatorios(15), DigitosAleatorios(15));
}

TEST(DecodificaBase64, DecodesStandardBase64AsUtf8) {
    const struct {
        const char* base64;
        const char* text;
    } cases[] = {
        {"", ""},
        {"YWJj", "abc"},
        {"YWI=", "ab"},
        {"YQ==", "a"},
        {"w6PDpyDigqw=", "ãç €"},
        {"Pj4+Pz8/", ">>>???"},
        {"YWJj\r\nZGVm", "abcdef"}, // MIME line breaks
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodificaBase64(c.base64), QString::fromUtf8(c.text)) << c.base64;
}

TEST(DecodificaBase64, TextThatIsNotBase64RaisesAClearError) {
    for (const char* bad : {"abc", "YWJjZ", "YW Jj", "YW*j", "=YWJ", "YQ=a",
                            "Y===", "====", "YWJj=", "YW-_", "w6PDpw==YQ=="}) {
        try {
            DecodificaBase64(QString::fromUtf8(bad));
            ADD_FAILURE() << "no error for " << bad;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "O texto informado não está codificado em Base64 válido.");
        }
    }
    EXPECT_THROW(DecodificaBase64(QString::fromUtf8("YWJ€")), std::runtime_error);
}

TEST(TrocaUltimoCaractere, ReplacesTheLastCharacter) {
    const struct {
        const char* text;
        const char* oldChar;
        const char* newChar;
        bool onlyIfMatches;
        const char* result;
    } cases[] = {
        {"C:\\Pasta\\", "\\", "/", false, "C:\\Pasta/"},
        {"C:\\Pasta", "\\", "/", true, "C:\\Pasta"},
        {"C:\\Pasta\\", "\\", "/", true, "C:\\Pasta/"},
        {"C:\\Pasta", "\\", "/", false, "C:\\Past/"},
        {"", "\\", "/", false, "/"},
        {"", "\\", "/", true, ""},
        {"/opt/x/", "/", "", true, "/opt/x"},
        {"preço😀", "😀", "!", true, "preço!"}, // a surrogate pair is one character
        {"preço😀", "x", "!", false, "preço!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrocaUltimoCaractere(QString::fromUtf8(c.text), QString::fromUtf8(c.oldChar),
                                       QString::fromUtf8(c.newChar), c.onlyIfMatches),
                  QString::fromUtf8(c.result))
            << c.text << " " << c.onlyIfMatches;
}

TEST(CopiaAteOcorrencia, CopiesUpToAndIncludingTheNthOccurrence) {
    const struct {
        const char* text;
        int occurrence;
        const char* result;
    } cases[] = {
        {"a\\b\\c\\d", 3, "a\\b\\c\\"},
        {"a\\b\\c\\d", 5, "a\\b\\c\\d"},
        {"a\\b\\c\\d", 1, "a\\"},
        {"\\\\srv\\x\\y", 3, "\\\\srv\\"},
        {"abc", 2, "abc"},
        {"", 2, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CopiaAteOcorrencia(c.text, "\\", c.occurrence), c.result)
            << c.text << " " << c.occurrence;
}

TEST(ContaOcorrencias, CountsOverlappingOccurrences) {
    EXPECT_EQ(ContaOcorrencias("\r\n", "linha 1\r\nlinha 2\r\nfim"), 2);
    EXPECT_EQ(ContaOcorrencias("aa", "aaaa"), 3);
    EXPECT_EQ(ContaOcorrencias("aba", "ababa"), 2);
    EXPECT_EQ(ContaOcorrencias("A", "aaa"), 0);
    EXPECT_EQ(ContaOcorrencias("", "abc"), 0);
    EXPECT_EQ(ContaOcorrencias("a", ""), 0);
    EXPECT_EQ(ContaOcorrencias("abcd", "abc"), 0);
}

} // namespace
