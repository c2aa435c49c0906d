#pragma once

// Fixtures for the packaging, signing and HTTP tests: a small certificate authority made with the
// openssl command line, an NSS store made with certutil/pk12util, loopback servers run with
// Debian's python3, minimal PE and PDF files, and a helper that runs the independent checkers.

#include "support/TempDir.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <memory>

namespace vorn::test {

struct ProcessResult {
    int exitCode = -1;
    QString output; // stdout and stderr together
};

// Runs a program with an argument list (no shell) and waits for it.
ProcessResult runTool(const QString& program, const QStringList& arguments, int timeoutMs = 120000);

// The common name of the test signer, with accents so the texts' encodings are exercised.
inline const QString kSignerName = QStringLiteral("José da Silvã Teste");
inline const QString kNoKeyName = QStringLiteral("Sem Chave Teste");
inline const QString kPfxPassword = QStringLiteral("s3nh@ Forte");

// A certificate authority with its certificates, made once per test program in a folder of its
// own: the CA, a signer (code signing, client and e-mail use), a time-stamping authority, a TLS
// server for 127.0.0.1, the signer as PFX in the current format and in the legacy RC2-40 one, a
// PFX without a key, and an NSS store holding the signer with its key, the CA and a certificate
// without its key.
class TestPki {
public:
    static const TestPki& instance();

    QString path(const QString& name) const { return q(dir_.path() / name.toStdString()); }
    QString ca() const { return path("ca.pem"); }
    QString signerPem() const { return path("signer.pem"); }
    QString signerPfx() const { return path("signer.pfx"); }
    QString signerLegacyPfx() const { return path("signer-legacy.pfx"); }
    QString noKeyPfx() const { return path("nokey.pfx"); }
    QString noPasswordPfx() const { return path("nopass.pfx"); } // exported with no password
    QString serverCert() const { return path("server.pem"); }
    QString serverKey() const { return path("server.key"); }
    QString store() const { return QStringLiteral("sql:") + path("nssdb"); }
    const std::filesystem::path& folder() const { return dir_.path(); }

private:
    TestPki();
    TempDir dir_;
};

// A loopback server run by /usr/bin/python3 from the fixtures folder; it prints "PORT n" when
// ready. Stopped (killed) with the object.
class PythonServer {
public:
    PythonServer(const QString& script, const QStringList& arguments);
    ~PythonServer();
    PythonServer(const PythonServer&) = delete;
    PythonServer& operator=(const PythonServer&) = delete;
    int port() const { return port_; }

private:
    QProcess process_;
    int port_ = 0;
};

// A minimal valid PE32+ image (one section) that Authenticode tools accept.
QByteArray minimalPe();
// A PDF document with `pages` pages, each showing its number, classic cross-reference table.
QByteArray simplePdf(int pages);

} // namespace vorn::test
