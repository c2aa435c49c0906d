// TChilKat::VinculaCertificadoHttp and GeHttp against a loopback TLS server (Python's ssl) that
// demands a client certificate issued by the test CA.

#include "SigningFixtures.h"
#include "common/ApiChilKat.h"

#include <gtest/gtest.h>

using namespace vorn::common;
using namespace vorn::test;

namespace {

class ChilKatHttp : public ::testing::Test {
protected:
    const TestPki& pki = TestPki::instance();
    PythonServer server{"tls_client_cert_server.py", {pki.serverCert(), pki.serverKey(), pki.ca()}};

    QString url(const char* path) const {
        return QStringLiteral("https://127.0.0.1:%1%2").arg(server.port()).arg(path);
    }
    TChilKat chilkat() const {
        TChilKat c;
        c.FRepositorioCertificados = pki.store();
        return c;
    }
};

// The server sees the bound certificate, from either PFX format or from the store.
TEST_F(ChilKatHttp, TheBoundCertificateOpensTheServer) {
    struct Case {
        const char* what;
        QString pfx, password;
    } cases[] = {
        {"PFX", pki.signerPfx(), kPfxPassword},
        {"legacy PFX", pki.signerLegacyPfx(), kPfxPassword},
        {"PFX without a password", pki.noPasswordPfx(), ""},
        {"store", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TChilKat chilkat = this->chilkat();
        TChilKatHttp http;
        http.SetCaFile(pki.ca());
        ASSERT_TRUE(chilkat.VinculaCertificadoHttp(http, c.pfx, c.password, kSignerName))
            << chilkat.FErro.toStdString();
        QString body;
        ASSERT_TRUE(chilkat.GeHttp(http, url("/whoami"), body)) << chilkat.FErro.toStdString();
        EXPECT_EQ(body, "cliente: " + kSignerName);
        EXPECT_EQ(chilkat.FErro, "");
        // The handle is kept: a second request on the same client works too.
        ASSERT_TRUE(chilkat.GeHttp(http, url("/whoami"), body));
    }
}

// Failures of a request: no certificate, an empty body, no answer, an untrusted server.
TEST_F(ChilKatHttp, RequestFailuresGoToFErroWithTheAddress) {
    struct Case {
        const char* what;
        bool bind;
        bool trustTestCa;
        const char* path;
        const char* reason;
    } cases[] = {
        // The refusal arrives as a TLS alert or a closed connection, depending on timing.
        {"no client certificate", false, true, "/whoami", "("},
        {"empty body", true, true, "/empty", "sem conteúdo"},
        {"never answers", true, true, "/hang", "imeout"},
        {"server not trusted", true, false, "/whoami", "certificate"},
        {"missing page", true, true, "/nada", "404"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TChilKat chilkat = this->chilkat();
        TChilKatHttp http;
        http.SetTimeoutMs(1500);
        if (c.trustTestCa)
            http.SetCaFile(pki.ca());
        if (c.bind) {
            ASSERT_TRUE(chilkat.VinculaCertificadoHttp(http, pki.signerPfx(), kPfxPassword, ""));
        }
        QString body = "antes";
        EXPECT_FALSE(chilkat.GeHttp(http, url(c.path), body));
        EXPECT_EQ(body, "");
        const QString start = "Falha ao tentar consultar a URL (" + url(c.path) + ").\r\n- Erro: ";
        EXPECT_TRUE(chilkat.FErro.startsWith(start)) << chilkat.FErro.toStdString();
        EXPECT_TRUE(chilkat.FErro.mid(start.size()).contains(QString::fromUtf8(c.reason)))
            << chilkat.FErro.toStdString();
    }
}

// A certificate that cannot be bound fails when it is bound, with the texts of each route.
TEST_F(ChilKatHttp, BindingFailuresAreReportedAtOnce) {
    writeFile(pki.folder() / "nao-pfx.txt", "texto");
    struct Case {
        const char* what;
        QString pfx, password, cn;
        const char* start;
        const char* reason;
    } cases[] = {
        {"wrong password", pki.signerPfx(), "errada", "", "Falha ao tentar carregar o certificado.",
         "Senha"},
        {"wrong password, legacy", pki.signerLegacyPfx(), "", "",
         "Falha ao tentar carregar o certificado.", "Senha"},
        {"no key", pki.noKeyPfx(), kPfxPassword, "", "Falha ao tentar carregar o certificado.",
         "chave privada"},
        {"missing file", pki.path("falta.pfx"), kPfxPassword, "",
         "Falha ao tentar carregar o certificado.", "falta.pfx"},
        {"not a PFX", pki.path("nao-pfx.txt"), kPfxPassword, "",
         "Falha ao tentar carregar o certificado.", "PKCS#12"},
        {"unknown name", "", "", "Ninguém", "Falha ao tentar carregar o certificado cert.",
         "Ninguém"},
        {"name without key", "", "", kNoKeyName, "Falha ao tentar carregar o certificado cert.",
         "sem a chave"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TChilKat chilkat = this->chilkat();
        TChilKatHttp http;
        http.SetCaFile(pki.ca());
        EXPECT_FALSE(chilkat.VinculaCertificadoHttp(http, c.pfx, c.password, c.cn));
        const QString start = QString::fromUtf8(c.start) + "\r\n- Erro: ";
        EXPECT_TRUE(chilkat.FErro.startsWith(start)) << chilkat.FErro.toStdString();
        EXPECT_TRUE(chilkat.FErro.contains(QString::fromUtf8(c.reason)))
            << chilkat.FErro.toStdString();
    }
    // A store that does not exist.
    TChilKat chilkat;
    chilkat.FRepositorioCertificados = pki.store() + "-nao-existe";
    TChilKatHttp http;
    EXPECT_FALSE(chilkat.VinculaCertificadoHttp(http, "", "", kSignerName));
    EXPECT_TRUE(chilkat.FErro.startsWith("Falha ao tentar carregar o certificado cert.\r\n"));
}

} // namespace
