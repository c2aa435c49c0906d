#include "SigningFixtures.h"

#include <QDataStream>
#include <QtEndian>
#include <stdexcept>

namespace vorn::test {

namespace {

void mustRun(const QString& program, const QStringList& arguments) {
    const ProcessResult result = runTool(program, arguments);
    if (result.exitCode != 0)
        throw std::runtime_error((program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) +
                                  QStringLiteral(" failed: ") + result.output)
                                     .toStdString());
}

const char kExtensions[] = R"(
[ca]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[signer]
basicConstraints = CA:false
keyUsage = critical, digitalSignature, nonRepudiation
extendedKeyUsage = codeSigning, clientAuth, emailProtection
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[tsa]
basicConstraints = CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = critical, timeStamping
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[server]
basicConstraints = CA:false
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = IP:127.0.0.1, DNS:localhost
authorityKeyIdentifier = keyid
)";

} // namespace

ProcessResult runTool(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForStarted()) {
        result.output = process.errorString();
        return result;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.output = QStringLiteral("timed out");
        return result;
    }
    result.output = QString::fromUtf8(process.readAll());
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

const TestPki& TestPki::instance() {
    static const TestPki pki;
    return pki;
}

TestPki::TestPki() {
    writeFile(dir_ / "ext.cnf", kExtensions);
    const QString ext = path("ext.cnf");
    const QString openssl = QStringLiteral("openssl");
    auto key = [&](const QString& name) {
        mustRun(openssl, {"genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048",
                          "-out", path(name)});
    };
    auto issue = [&](const char* stem, const QString& subject, const char* section) {
        const QString base = QString::fromLatin1(stem);
        key((base + ".key"));
        mustRun(openssl, {"req", "-new", "-utf8", "-key", path((base + ".key")), "-subj", subject,
                          "-out", path((base + ".csr"))});
        mustRun(openssl,
                {"x509", "-req", "-in", path((base + ".csr")), "-CA", ca(), "-CAkey",
                 path("ca.key"), "-set_serial", QString::number(qHash(base) & 0x7fffffff), "-days",
                 "30", "-extfile", ext, "-extensions", section, "-out", path((base + ".pem"))});
    };
    key("ca.key");
    mustRun(openssl, {"req", "-new", "-x509", "-utf8", "-key", path("ca.key"), "-subj",
                      "/O=VORN Teste/CN=VORN Teste AC Raiz", "-days", "30", "-config", ext,
                      "-extensions", "ca", "-out", ca()});
    issue("signer", QStringLiteral("/O=VORN Teste/CN=") + kSignerName, "signer");
    issue("nokey", QStringLiteral("/O=VORN Teste/CN=") + kNoKeyName, "signer");
    issue("tsa", QStringLiteral("/O=VORN Teste/CN=VORN Teste Carimbo"), "tsa");
    issue("server", QStringLiteral("/O=VORN Teste/CN=127.0.0.1"), "server");

    // The password goes through a file, as the program itself does.
    writeFile(dir_ / "pass.txt", kPfxPassword.toStdString());
    const QString pass = QStringLiteral("file:") + path("pass.txt");
    mustRun(openssl, {"pkcs12", "-export", "-in", signerPem(), "-inkey", path("signer.key"),
                      "-certfile", ca(), "-passout", pass, "-out", signerPfx()});
    mustRun(openssl,
            {"pkcs12", "-export", "-legacy", "-in", signerPem(), "-inkey", path("signer.key"),
             "-certfile", ca(), "-passout", pass, "-out", signerLegacyPfx()});
    mustRun(openssl, {"pkcs12", "-export", "-in", signerPem(), "-inkey", path("signer.key"),
                      "-passout", "pass:", "-out", noPasswordPfx()});
    mustRun(openssl, {"pkcs12", "-export", "-nokeys", "-in", signerPem(), "-passout", pass, "-out",
                      noKeyPfx()});

    std::filesystem::create_directory(dir_ / "nssdb");
    mustRun("certutil", {"-N", "-d", store(), "--empty-password"});
    mustRun("pk12util", {"-i", signerLegacyPfx(), "-d", store(), "-w", path("pass.txt")});
    mustRun("certutil", {"-A", "-d", store(), "-n", "VORN Teste AC", "-t", "CT,C,C", "-i", ca()});
    mustRun("certutil",
            {"-A", "-d", store(), "-n", "sem chave", "-t", ",,", "-i", path("nokey.pem")});
}

PythonServer::PythonServer(const QString& script, const QStringList& arguments) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("/usr/bin/python3"),
                   QStringList{QStringLiteral(VORN_COMMON_FIXTURES "/") + script} + arguments);
    if (!process_.waitForStarted())
        throw std::runtime_error("python3 did not start");
    while (!process_.canReadLine())
        if (!process_.waitForReadyRead(20000))
            throw std::runtime_error(("test server did not start: " + script).toStdString());
    const QByteArray line = process_.readLine().trimmed();
    if (!line.startsWith("PORT "))
        throw std::runtime_error(("test server said: " + line).toStdString());
    port_ = line.mid(5).toInt();
}

PythonServer::~PythonServer() {
    process_.kill();
    process_.waitForFinished();
}

QByteArray minimalPe() {
    QByteArray pe(0x400, '\0');
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, pe.data() + at); };
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, pe.data() + at); };
    auto put64 = [&](int at, quint64 v) { qToLittleEndian(v, pe.data() + at); };
    pe[0] = 'M';
    pe[1] = 'Z';
    put32(0x3C, 0x80); // e_lfanew
    const int h = 0x80;
    pe.replace(h, 4, QByteArray("PE\0\0", 4));
    put16(h + 4, 0x8664); // Machine: x86-64
    put16(h + 6, 1);      // one section
    put16(h + 20, 240);   // size of the PE32+ optional header
    put16(h + 22, 0x22);  // executable, large-address aware
    const int o = h + 24;
    put16(o, 0x20B);       // PE32+
    put32(o + 4, 0x200);   // SizeOfCode
    put32(o + 16, 0x1000); // AddressOfEntryPoint
    put32(o + 20, 0x1000); // BaseOfCode
    put64(o + 24, 0x140000000ull);
    put32(o + 32, 0x1000); // SectionAlignment
    put32(o + 36, 0x200);  // FileAlignment
    put16(o + 40, 6);      // OS version
    put16(o + 48, 6);      // subsystem version
    put32(o + 56, 0x2000); // SizeOfImage
    put32(o + 60, 0x200);  // SizeOfHeaders
    put16(o + 68, 3);      // console
    put16(o + 70, 0x8160);
    put64(o + 72, 0x100000);
    put64(o + 80, 0x1000);
    put64(o + 88, 0x100000);
    put64(o + 96, 0x1000);
    put32(o + 108, 16); // data directories
    const int s = o + 240;
    pe.replace(s, 5, ".text");
    put32(s + 8, 0x10);        // VirtualSize
    put32(s + 12, 0x1000);     // VirtualAddress
    put32(s + 16, 0x200);      // SizeOfRawData
    put32(s + 20, 0x200);      // PointerToRawData
    put32(s + 36, 0x60000020); // code, execute, read
    pe[0x200] = char(0xC3);    // ret
    return pe;
}

QByteArray simplePdf(int pages) {
    QList<QByteArray> objects;
    QByteArray kids;
    for (int i = 0; i < pages; ++i)
        kids += QByteArray::number(3 + 2 * i) + " 0 R ";
    objects << "<< /Type /Catalog /Pages 2 0 R >>";
    objects << "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>";
    const int font = 3 + 2 * pages;
    for (int i = 0; i < pages; ++i) {
        const QByteArray content =
            "BT /F1 36 Tf 72 700 Td (Pagina " + QByteArray::number(i + 1) + ") Tj ET";
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents " +
                       QByteArray::number(4 + 2 * i) + " 0 R /Resources << /Font << /F1 " +
                       QByteArray::number(font) + " 0 R >> >> >>";
        objects << "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
                       "\nendstream";
    }
    objects << "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
    QByteArray pdf = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

} // namespace vorn::test
