// TChilKat::AssinaExe_Dll, checked with osslsigncode verify and sbverify against a loopback
// time-stamping authority of the test's own.

#include "SigningFixtures.h"
#include "common/ApiChilKat.h"

#include "support/FreePort.h"

#include <gtest/gtest.h>

using namespace vorn::common;
using namespace vorn::test;

namespace {

class ChilKatAssinaExe : public ::testing::Test {
protected:
    const TestPki& pki = TestPki::instance();
    TempDir dir;

    QString pe(const char* name) {
        writeFile(dir / name, minimalPe().toStdString());
        return q(dir / name);
    }

    // osslsigncode's verdict, time stamp included, and sbverify's independent one.
    void expectSignedAndTimeStamped(const QString& file) {
        const ProcessResult verify = runTool(
            "osslsigncode", {"verify", "-in", file, "-CAfile", pki.ca(), "-TSA-CAfile", pki.ca()});
        EXPECT_EQ(verify.exitCode, 0) << verify.output.toStdString();
        EXPECT_TRUE(verify.output.contains("Signature verification: ok"))
            << verify.output.toStdString();
        EXPECT_TRUE(verify.output.contains("Timestamp Server Signature verification: ok"))
            << verify.output.toStdString();
        EXPECT_TRUE(verify.output.contains("Message digest algorithm  : SHA256"))
            << verify.output.toStdString();
        EXPECT_TRUE(verify.output.contains("Hash Algorithm: sha256")) << "the time stamp's";
        // osslsigncode prints the subject's UTF-8 bytes escaped.
        EXPECT_TRUE(verify.output.contains("CN=Jos\\xC3\\xA9 da Silv\\xC3\\xA3 Teste"))
            << verify.output.toStdString();
        const ProcessResult sb = runTool("sbverify", {"--cert", pki.ca(), file});
        EXPECT_EQ(sb.exitCode, 0) << sb.output.toStdString();
        EXPECT_TRUE(sb.output.contains("Signature verification OK")) << sb.output.toStdString();
    }

    // Only the named files are in the test folder: nothing temporary left behind.
    void expectOnly(std::set<std::string> names) {
        std::set<std::string> present;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            present.insert(entry.path().filename().string());
        EXPECT_EQ(present, names);
    }
};

TEST_F(ChilKatAssinaExe, SignsWithSha256AndATimeStamp) {
    PythonServer tsa("tsa_server.py", {q(pki.folder())});
    struct Case {
        const char* what;
        QString pfx;
        bool inPlace;
    } cases[] = {
        {"PFX, signed copy", pki.signerPfx(), false},
        {"legacy PFX, in place", pki.signerLegacyPfx(), true},
        {"store certificate, signed copy", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString source = pe("programa.exe");
        const std::string unsignedBytes = readFile(dir / "programa.exe");
        const QString target = c.inPlace ? source : q(dir / "assinado.dll");
        if (!c.inPlace)
            writeFile(dir / "assinado.dll", "arquivo anterior"); // replaced
        TChilKat chilkat;
        chilkat.FRepositorioCertificados = pki.store();
        chilkat.FUrlCarimboTempo = QStringLiteral("http://127.0.0.1:%1/").arg(tsa.port());
        QString vErro;
        ASSERT_TRUE(chilkat.AssinaExe_Dll(source, target, kSignerName, c.pfx, kPfxPassword, vErro))
            << vErro.toStdString() << chilkat.FErro.toStdString();
        EXPECT_EQ(vErro, "");
        EXPECT_EQ(chilkat.FErro, "");
        expectSignedAndTimeStamped(target);
        if (!c.inPlace) {
            EXPECT_EQ(readFile(dir / "programa.exe"), unsignedBytes); // the source is untouched
            expectOnly({"programa.exe", "assinado.dll"});
        } else {
            EXPECT_NE(readFile(dir / "programa.exe"), unsignedBytes);
            expectOnly({"programa.exe"});
        }
        std::filesystem::remove(dir / "assinado.dll");
    }

    // Signing a signed file replaces its signature; the result still verifies.
    TChilKat chilkat;
    chilkat.FUrlCarimboTempo = QStringLiteral("http://127.0.0.1:%1/").arg(tsa.port());
    QString vErro;
    ASSERT_TRUE(chilkat.AssinaExe_Dll(q(dir / "programa.exe"), q(dir / "programa.exe"), kSignerName,
                                      pki.signerPfx(), kPfxPassword, vErro))
        << vErro.toStdString();
    expectSignedAndTimeStamped(q(dir / "programa.exe"));
}

// Each failure routes its text as the operation says and leaves the files as they were.
TEST_F(ChilKatAssinaExe, FailuresLeaveTheFilesAsTheyWere) {
    PythonServer tsa("tsa_server.py", {q(pki.folder())});
    const QString working = QStringLiteral("http://127.0.0.1:%1/").arg(tsa.port());
    const QString unreachable = QStringLiteral("http://127.0.0.1:%1/").arg(freeTcpPort());
    writeFile(dir / "texto.exe", "não é um executável");
    enum Goes { ToFErro, ToVErro };
    struct Case {
        const char* what;
        QString source, cn, pfx, password, tsa;
        Goes goes;
        const char* mentions;
    } cases[] = {
        {"unreachable TSA", "programa.exe", kSignerName, pki.signerPfx(), kPfxPassword, unreachable,
         ToVErro, "Falha ao assinar"},
        {"wrong password", "programa.exe", kSignerName, pki.signerPfx(), "errada", working, ToVErro,
         "Senha"},
        {"PFX without a key", "programa.exe", kSignerName, pki.noKeyPfx(), kPfxPassword, working,
         ToVErro, "chave privada"},
        {"unknown common name", "programa.exe", "Ninguém", "", "", working, ToFErro, "Ninguém"},
        {"common name without key", "programa.exe", kNoKeyName, "", "", working, ToFErro,
         "sem a chave"},
        {"not a PE file", "texto.exe", kSignerName, pki.signerPfx(), kPfxPassword, working, ToVErro,
         "Falha ao assinar"},
        {"missing source", "falta.exe", kSignerName, pki.signerPfx(), kPfxPassword, working,
         ToVErro, "falta.exe"},
    };
    for (const Case& c : cases) {
        for (const bool inPlace : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (inPlace ? ", in place" : ", copy"));
            pe("programa.exe");
            const std::string before = readFile(dir / "programa.exe");
            writeFile(dir / "anterior.dll", "arquivo anterior");
            const QString source = q(dir / c.source.toStdString());
            TChilKat chilkat;
            chilkat.FRepositorioCertificados = pki.store();
            chilkat.FUrlCarimboTempo = c.tsa;
            chilkat.FErro = "antes";
            QString vErro = "antes";
            EXPECT_FALSE(chilkat.AssinaExe_Dll(source, inPlace ? source : q(dir / "anterior.dll"),
                                               c.cn, c.pfx, c.password, vErro));
            const QString& got = c.goes == ToFErro ? chilkat.FErro : vErro;
            const QString& other = c.goes == ToFErro ? vErro : chilkat.FErro;
            EXPECT_TRUE(got.contains(QString::fromUtf8(c.mentions))) << got.toStdString();
            EXPECT_EQ(other, "antes");
            EXPECT_EQ(readFile(dir / "programa.exe"), before);
            EXPECT_EQ(readFile(dir / "anterior.dll"), "arquivo anterior");
            expectOnly({"programa.exe", "anterior.dll", "texto.exe"});
        }
    }
}

} // namespace
