// TChilKat::AssinaPDF, checked with pdfsig, openssl cms, qpdf and pdftoppm.

#include "SigningFixtures.h"
#include "common/ApiChilKat.h"
#include "common/PdfSignatureAppearance.h"

#include <QColor>
#include <QImage>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace vorn::common;
using namespace vorn::test;

namespace {

constexpr int kX = 300, kY = 100, kW = 220, kH = 70; // the signature box, points

struct SignatureParts {
    QByteArray signedBytes;
    QByteArray cms; // DER, without the zero padding
};

// The last signature of a PDF: the bytes its /ByteRange covers and its /Contents.
SignatureParts lastSignature(const QByteArray& pdf) {
    static const QRegularExpression range(
        QStringLiteral("/ByteRange\\s*\\[\\s*(\\d+)\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)\\s*\\]"));
    const qsizetype at = pdf.lastIndexOf("/ByteRange");
    const QRegularExpressionMatch m = range.match(QString::fromLatin1(pdf.mid(at, 200)));
    if (at < 0 || !m.hasMatch())
        return {};
    const qsizetype a = m.captured(1).toLongLong(), b = m.captured(2).toLongLong(),
                    c = m.captured(3).toLongLong(), d = m.captured(4).toLongLong();
    SignatureParts parts;
    parts.signedBytes = pdf.mid(a, b) + pdf.mid(c, d);
    const QByteArray hex = pdf.mid(a + b, c - (a + b)).trimmed();
    QByteArray der = QByteArray::fromHex(hex.mid(1, hex.size() - 2));
    // DER SEQUENCE with a two-byte length: 30 82 hi lo.
    if (der.size() > 4 && uchar(der[0]) == 0x30 && uchar(der[1]) == 0x82)
        der.truncate(4 + (uchar(der[2]) << 8 | uchar(der[3])));
    parts.cms = der;
    return parts;
}

// The page rendered by poppler at 72 dpi (one pixel per point).
QImage render(const QString& pdf, int page, const TempDir& dir) {
    const QString prefix = q(dir / ("pagina" + std::to_string(page)));
    const ProcessResult done =
        runTool("pdftoppm", {"-r", "72", "-png", "-singlefile", "-f", QString::number(page), "-l",
                             QString::number(page), pdf, prefix});
    EXPECT_EQ(done.exitCode, 0) << done.output.toStdString();
    return QImage(prefix + ".png");
}

// Pixels of the signature box (PDF y counts from the bottom, image y from the top).
int countPixels(const QImage& page, const std::function<bool(QColor)>& wanted) {
    int count = 0;
    for (int y = page.height() - kY - kH; y < page.height() - kY; ++y)
        for (int x = kX; x < kX + kW; ++x)
            if (wanted(page.pixelColor(x, y)))
                ++count;
    return count;
}

bool notWhite(QColor c) {
    return c.red() < 245 || c.green() < 245 || c.blue() < 245;
}

class ChilKatAssinaPdf : public ::testing::Test {
protected:
    const TestPki& pki = TestPki::instance();
    TempDir dir;

    QString source(int pages = 3, bool xrefStream = false) {
        writeFile(dir / "plain.pdf", simplePdf(pages).toStdString());
        if (!xrefStream)
            return q(dir / "plain.pdf");
        const ProcessResult done =
            runTool("qpdf", {"--object-streams=generate", q(dir / "plain.pdf"), q(dir / "xs.pdf")});
        EXPECT_EQ(done.exitCode, 0) << done.output.toStdString();
        EXPECT_NE(readFile(dir / "xs.pdf").find("/XRef"), std::string::npos);
        return q(dir / "xs.pdf");
    }

    QString redJpeg() {
        QImage image(160, 80, QImage::Format_RGB32);
        image.fill(QColor(255, 0, 0));
        const QString path = q(dir / "marca.jpg");
        EXPECT_TRUE(image.save(path, "JPG", 95));
        return path;
    }

    // pdfsig's text (it exits 0 even on a digest mismatch), with the test CA trusted.
    QString pdfsig(const QString& pdf) {
        const ProcessResult done = runTool("pdfsig", {"-nssdir", pki.store(), pdf});
        EXPECT_EQ(done.exitCode, 0) << done.output.toStdString();
        return done.output;
    }

    // Whether openssl verifies the last signature against the test CA; its printed structure in
    // `printed`.
    bool cmsVerifies(const QString& pdf, QString* printed = nullptr) {
        const SignatureParts parts =
            lastSignature(QByteArray::fromStdString(readFile(pdf.toStdString())));
        if (parts.cms.isEmpty())
            return false;
        writeFile(dir / "conteudo.bin", parts.signedBytes.toStdString());
        writeFile(dir / "assinatura.der", parts.cms.toStdString());
        const ProcessResult verify =
            runTool("openssl", {"cms", "-verify", "-binary", "-inform", "DER", "-in",
                                q(dir / "assinatura.der"), "-content", q(dir / "conteudo.bin"),
                                "-CAfile", pki.ca(), "-purpose", "any", "-out", "/dev/null"});
        if (printed)
            *printed = runTool("openssl", {"cms", "-cmsout", "-print", "-noout", "-inform", "DER",
                                           "-in", q(dir / "assinatura.der")})
                           .output;
        return verify.exitCode == 0 && verify.output.contains("Verification successful");
    }

    // The last signature verifies and carries the signed attributes PAdES asks for.
    void expectCmsValid(const QString& pdf) {
        QString printed;
        EXPECT_TRUE(cmsVerifies(pdf, &printed));
        EXPECT_TRUE(printed.contains("signingCertificateV2")) << printed.toStdString();
        EXPECT_TRUE(printed.contains("signingTime"));
        EXPECT_TRUE(printed.contains("sha256"));
        EXPECT_TRUE(printed.contains("eContent: <ABSENT>")) << "detached";
    }
};

TEST(SignatureTimeText, DayMonthYearHourMinuteAndMillisecond) {
    struct Case {
        QDateTime when;
        const char* text;
    } cases[] = {
        {QDateTime(QDate(2025, 11, 5), QTime(18, 23, 45, 7)), "05/11/2025 18:23:07"},
        {QDateTime(QDate(2026, 1, 31), QTime(0, 5, 59, 123)), "31/01/2026 00:05:123"},
        {QDateTime(QDate(999, 12, 1), QTime(9, 0, 0, 0)), "01/12/0999 09:00:00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(signatureTimeText(c.when), c.text);
}

// Each appearance and each source of certificate: a valid signature on the last page, appended to
// the untouched original.
TEST_F(ChilKatAssinaPdf, SignsTheLastPageAsAnIncrementalUpdate) {
    enum class Cert { Pfx, LegacyPfx, Store };
    struct Case {
        const char* what;
        bool xrefStream;
        Cert cert;
        bool jpeg;
        bool invisible;
    } cases[] = {
        {"green check, PFX", false, Cert::Pfx, false, false},
        {"JPEG at 30 %, legacy PFX, compressed xref", true, Cert::LegacyPfx, true, false},
        {"invisible, store certificate", false, Cert::Store, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString original = source(3, c.xrefStream);
        const std::string before = readFile(original.toStdString());
        const QString signedPdf = q(dir / "assinado.pdf");
        TChilKat chilkat;
        chilkat.FRepositorioCertificados = pki.store();
        chilkat.FUrlValidacao = "https://valida.exemplo.test";
        QString vErro;
        const QString pfx = c.cert == Cert::Pfx         ? pki.signerPfx()
                            : c.cert == Cert::LegacyPfx ? pki.signerLegacyPfx()
                                                        : QString();
        ASSERT_TRUE(chilkat.AssinaPDF(original, signedPdf, kSignerName, pfx, kPfxPassword,
                                      c.jpeg ? redJpeg() : QString(), kX, kY, kH, kW, vErro,
                                      c.invisible))
            << chilkat.FErro.toStdString() << vErro.toStdString();
        EXPECT_EQ(chilkat.FErro, "");
        EXPECT_EQ(vErro, "");

        const std::string after = readFile(signedPdf.toStdString());
        EXPECT_EQ(readFile(original.toStdString()), before);
        ASSERT_GT(after.size(), before.size());
        EXPECT_EQ(after.substr(0, before.size()), before);

        const QString report = pdfsig(signedPdf);
        EXPECT_EQ(report.count("Signature is Valid."), 1) << report.toStdString();
        EXPECT_TRUE(report.contains("Certificate is Trusted.")) << report.toStdString();
        EXPECT_TRUE(report.contains("Total document signed")) << report.toStdString();
        EXPECT_FALSE(report.contains("Mismatch"));
        EXPECT_TRUE(report.contains(kSignerName)) << report.toStdString();
        expectCmsValid(signedPdf);
        const ProcessResult check = runTool("qpdf", {"--check", signedPdf});
        EXPECT_EQ(check.exitCode, 0) << check.output.toStdString();

        const QImage last = render(signedPdf, 3, dir);
        const QImage first = render(signedPdf, 1, dir);
        ASSERT_FALSE(last.isNull());
        EXPECT_EQ(countPixels(first, notWhite), 0); // only the last page carries it
        if (c.invisible) {
            EXPECT_EQ(countPixels(last, notWhite), 0);
            continue;
        }
        EXPECT_GT(
            countPixels(last,
                        [](QColor p) { return p.red() < 80 && p.green() < 80 && p.blue() < 80; }),
            100)
            << "the text";
        const int green = countPixels(
            last, [](QColor p) { return p.green() > 100 && p.red() < 90 && p.blue() < 90; });
        const int paleRed = countPixels(last, [](QColor p) {
            return p.red() > 235 && p.green() > 150 && p.green() < 200 && p.blue() > 150 &&
                   p.blue() < 200;
        });
        if (c.jpeg) {
            EXPECT_EQ(green, 0);
            EXPECT_GT(paleRed, 2000) << "the red JPEG at 30 % over white";
            EXPECT_EQ(countPixels(last, [](QColor p) { return p.red() > 200 && p.green() < 60; }),
                      0)
                << "no fully opaque red";
        } else {
            EXPECT_GT(green, 100) << "the green check";
            EXPECT_EQ(paleRed, 0);
        }
        last.save(q(dir / "ultima.png"));
        if (qEnvironmentVariableIsSet("VORN_KEEP_RENDER"))
            last.save(qEnvironmentVariable("VORN_KEEP_RENDER") + "/" +
                      QString::number(int(c.cert)) + ".png");
    }
}

// The checkers used above do catch a changed byte (pdfsig still exits 0, so its text is read).
TEST_F(ChilKatAssinaPdf, TheCheckersSeeAChangedByte) {
    TChilKat chilkat;
    QString vErro;
    ASSERT_TRUE(chilkat.AssinaPDF(source(1), q(dir / "a.pdf"), kSignerName, pki.signerPfx(),
                                  kPfxPassword, "", kX, kY, kH, kW, vErro, false));
    std::string bytes = readFile(dir / "a.pdf");
    const size_t at = bytes.find("Pagina 1");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'X';
    writeFile(dir / "a.pdf", bytes);
    EXPECT_TRUE(pdfsig(q(dir / "a.pdf")).contains("Digest Mismatch"));
    EXPECT_FALSE(cmsVerifies(q(dir / "a.pdf")));
}

// A second signature on a signed document keeps the first one valid.
TEST_F(ChilKatAssinaPdf, ASecondSignatureKeepsTheFirstValid) {
    const QString original = source(2);
    TChilKat chilkat;
    chilkat.FRepositorioCertificados = pki.store();
    QString vErro;
    ASSERT_TRUE(chilkat.AssinaPDF(original, q(dir / "um.pdf"), kSignerName, pki.signerPfx(),
                                  kPfxPassword, "", kX, kY, kH, kW, vErro, false))
        << chilkat.FErro.toStdString() << vErro.toStdString();
    ASSERT_TRUE(chilkat.AssinaPDF(q(dir / "um.pdf"), q(dir / "dois.pdf"), kSignerName, "",
                                  kPfxPassword, "", kX, kY + 100, kH, kW, vErro, false))
        << chilkat.FErro.toStdString() << vErro.toStdString();
    const QString report = pdfsig(q(dir / "dois.pdf"));
    EXPECT_EQ(report.count("Signature is Valid."), 2) << report.toStdString();
    EXPECT_FALSE(report.contains("Mismatch"));
    EXPECT_EQ(report.count("Total document signed"), 1) << report.toStdString();
    expectCmsValid(q(dir / "dois.pdf"));
    const std::string first = readFile(dir / "um.pdf");
    EXPECT_EQ(readFile(dir / "dois.pdf").substr(0, first.size()), first);

    // Signing in place (same source and target) works too: the copy replaces it at the end.
    ASSERT_TRUE(chilkat.AssinaPDF(q(dir / "dois.pdf"), q(dir / "dois.pdf"), kSignerName,
                                  pki.signerLegacyPfx(), kPfxPassword, "", 0, 0, 0, 0, vErro,
                                  true));
    EXPECT_EQ(pdfsig(q(dir / "dois.pdf")).count("Signature is Valid."), 3);
}

// Every bad input fails with a text where it belongs, leaves the other text alone and writes no
// output.
TEST_F(ChilKatAssinaPdf, BadInputFailsWithItsTextAndNoOutput) {
    const QString good = source(1);
    const QByteArray pdf = simplePdf(1);
    writeFile(dir / "vazio.pdf", "");
    writeFile(dir / "truncado.pdf", pdf.left(pdf.size() / 2).toStdString());
    writeFile(dir / "texto.pdf", "isto não é um PDF\n");
    writeFile(dir / "falsa.jpg", "GIF89a");
    enum Goes { ToFErro, ToVErro };
    struct Case {
        const char* what;
        QString source, cn, pfx, password, jpeg;
        Goes goes;
        const char* mentions;
    } cases[] = {
        {"missing PDF", q(dir / "falta.pdf"), kSignerName, pki.signerPfx(), kPfxPassword, "",
         ToFErro, "falta.pdf"},
        {"empty PDF", q(dir / "vazio.pdf"), kSignerName, pki.signerPfx(), kPfxPassword, "", ToFErro,
         "vazio.pdf"},
        {"truncated PDF", q(dir / "truncado.pdf"), kSignerName, pki.signerPfx(), kPfxPassword, "",
         ToFErro, "truncado.pdf"},
        {"not a PDF", q(dir / "texto.pdf"), kSignerName, pki.signerPfx(), kPfxPassword, "", ToFErro,
         "texto.pdf"},
        {"wrong PFX password", good, kSignerName, pki.signerPfx(), "errada", "", ToVErro, "Senha"},
        {"wrong legacy PFX password", good, kSignerName, pki.signerLegacyPfx(), "errada", "",
         ToVErro, "Senha"},
        {"PFX without a key", good, kSignerName, pki.noKeyPfx(), kPfxPassword, "", ToVErro,
         "chave privada"},
        {"missing PFX", good, kSignerName, q(dir / "falta.pfx"), kPfxPassword, "", ToVErro,
         "falta.pfx"},
        {"PDF given as PFX", good, kSignerName, good, kPfxPassword, "", ToVErro, "PKCS#12"},
        {"unknown common name", good, "Ninguém", "", "", "", ToFErro, "Ninguém"},
        {"common name without key", good, kNoKeyName, "", "", "", ToFErro, "sem a chave"},
        {"near common name", good, kSignerName.left(10), "", "", "", ToFErro, "Nenhum"},
        {"missing JPEG", good, kSignerName, pki.signerPfx(), kPfxPassword, q(dir / "falta.jpg"),
         ToVErro, "falta.jpg"},
        {"not a JPEG", good, kSignerName, pki.signerPfx(), kPfxPassword, q(dir / "falsa.jpg"),
         ToVErro, "JPEG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TChilKat chilkat;
        chilkat.FRepositorioCertificados = pki.store();
        chilkat.FErro = "antes";
        QString vErro = "antes";
        EXPECT_FALSE(chilkat.AssinaPDF(c.source, q(dir / "saida.pdf"), c.cn, c.pfx, c.password,
                                       c.jpeg, kX, kY, kH, kW, vErro, false));
        const QString& got = c.goes == ToFErro ? chilkat.FErro : vErro;
        const QString& other = c.goes == ToFErro ? vErro : chilkat.FErro;
        EXPECT_NE(got, "antes");
        EXPECT_TRUE(got.contains(QString::fromUtf8(c.mentions))) << got.toStdString();
        EXPECT_EQ(other, "antes");
        EXPECT_FALSE(std::filesystem::exists(dir / "saida.pdf"));
    }
    // Nothing but the fixtures is left in the folder (no temporary files).
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".pdf."), std::string::npos)
            << entry.path();
}

} // namespace
