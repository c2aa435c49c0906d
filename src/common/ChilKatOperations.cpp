// TChilKat's packaging, signing and HTTP operations. Each one only chooses the certificate,
// routes its errors to FErro or VErro and leaves the work to the file of its concept.

#include "common/ApiChilKat.h"

#include "common/Authenticode.h"
#include "common/CertificateStore.h"
#include "common/CmsSigner.h"
#include "common/PdfSignatureAppearance.h"
#include "common/Pkcs12File.h"
#include "common/PodofoAdapter.h"
#include "common/ZipArchive.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>
#include <memory>
#include <optional>

namespace vorn::common {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The certificate choice: by common name from the store when no PFX file is named, else from the
// PFX file. A failure by name goes to FErro, one from the file to VErro.
std::optional<SigningIdentity> chooseCertificate(const QString& store, const QString& commonName,
                                                 const QString& pfxPath, const QString& password,
                                                 QString& fErro, QString& vErro) {
    QString error;
    std::optional<SigningIdentity> identity;
    if (pfxPath.isEmpty()) {
        identity = loadFromStoreByCommonName(store, commonName, error);
        if (!identity)
            fErro = error;
    } else {
        identity = loadPkcs12(pfxPath, password, error);
        if (!identity)
            vErro = error;
    }
    return identity;
}

// A JPEG the signature can show: readable and starting with the JPEG start-of-image marker.
bool checkJpeg(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error =
            QStringLiteral("Não foi possível abrir a imagem %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.read(3) != QByteArray("\xFF\xD8\xFF", 3)) {
        error = QStringLiteral("A imagem %1 não é um arquivo JPEG.").arg(path);
        return false;
    }
    return true;
}

// A copy of `source` in a temporary file beside `target`, removed with the object unless it is
// renamed away first.
std::unique_ptr<QTemporaryFile> copyBeside(const QString& source, const QString& target,
                                           QString& error) {
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Não foi possível abrir %1: %2").arg(source, input.errorString());
        return nullptr;
    }
    auto copy = std::make_unique<QTemporaryFile>(QFileInfo(target).absoluteFilePath() +
                                                 QStringLiteral(".XXXXXX"));
    if (!copy->open()) {
        error = QStringLiteral("Não foi possível criar a cópia de %1 ao lado de %2: %3")
                    .arg(source, target, copy->errorString());
        return nullptr;
    }
    char buffer[65536];
    qint64 read = 0;
    while ((read = input.read(buffer, sizeof buffer)) > 0)
        if (copy->write(buffer, read) != read) {
            error = QStringLiteral("Não foi possível copiar %1 para %2: %3")
                        .arg(source, target, copy->errorString());
            return nullptr;
        }
    if (read < 0 || !copy->flush()) {
        error = QStringLiteral("Não foi possível copiar %1 para %2.").arg(source, target);
        return nullptr;
    }
    copy->close();
    copy->setPermissions(input.permissions());
    return copy;
}

} // namespace

bool TChilKat::ZipFiles(const QString& VArqZipFinal, const QString& VSenha) {
    return writeZipArchive(VArqZipFinal, FListaArquivos, VSenha, FErro);
}

bool TChilKat::ZipDirectory(const QString& VArqZipFinal, const QString& VPasta,
                            const QString& VSenha) {
    return writeZipArchive(VArqZipFinal, {VPasta + QLatin1Char('*')}, VSenha, FErro);
}

bool TChilKat::AssinaPDF(const QString& VArqOrigem, const QString& VArqFinal,
                         const QString& VCNCert, const QString& VArqCert, const QString& VSenhaCert,
                         const QString& VArqMarcaDagua, std::int32_t VX, std::int32_t VY,
                         std::int32_t VH, std::int32_t VW, QString& VErro,
                         bool VAssinaturaInvisivel) {
    PdfIncrementalSigner document;
    if (!document.load(VArqOrigem, FErro))
        return false;

    PdfSignatureAppearance appearance;
    appearance.invisible = VAssinaturaInvisivel;
    appearance.x = VX;
    appearance.y = VY;
    appearance.height = VH;
    appearance.width = VW;
    if (!VArqMarcaDagua.isEmpty()) {
        if (!checkJpeg(VArqMarcaDagua, VErro))
            return false;
        appearance.image = PdfSignatureAppearance::Image::CustomJpeg;
        appearance.jpegPath = VArqMarcaDagua;
    }
    appearance.fontSize = 10.0;
    appearance.lines = {QStringLiteral("Assinado digitalmente por"), VCNCert,
                        signatureTimeText(QDateTime::currentDateTime()),
                        QStringLiteral("Valide em ") + FUrlValidacao};

    const std::optional<SigningIdentity> identity =
        chooseCertificate(FRepositorioCertificados, VCNCert, VArqCert, VSenhaCert, FErro, VErro);
    if (!identity)
        return false;

    return document.sign(
        VArqFinal, document.pageCount(), appearance,
        [&identity](const QByteArray& bytes, QString& error) {
            return signDetachedCms(*identity, bytes, error);
        },
        FErro);
}

bool TChilKat::AssinaExe_Dll(const QString& VArqOrigem, const QString& VArqFinal,
                             const QString& VCNCert, const QString& VArqCert,
                             const QString& VSenhaCert, QString& VErro) {
    const std::optional<SigningIdentity> identity =
        chooseCertificate(FRepositorioCertificados, VCNCert, VArqCert, VSenhaCert, FErro, VErro);
    if (!identity)
        return false;
    if (VArqOrigem == VArqFinal)
        return signAuthenticode(VArqOrigem, *identity, FUrlCarimboTempo, VErro);
    // The copy is signed beside the target and takes its place only once signed, so a failure
    // leaves an earlier file at VArqFinal as it was and no unsigned copy behind.
    const std::unique_ptr<QTemporaryFile> copy = copyBeside(VArqOrigem, VArqFinal, VErro);
    if (!copy || !signAuthenticode(copy->fileName(), *identity, FUrlCarimboTempo, VErro))
        return false;
    std::error_code renameError;
    std::filesystem::rename(QFile::encodeName(copy->fileName()).constData(),
                            QFile::encodeName(VArqFinal).constData(), renameError);
    if (renameError) {
        VErro = QStringLiteral("Não foi possível gravar %1: %2")
                    .arg(VArqFinal, QString::fromStdString(renameError.message()));
        return false;
    }
    return true;
}

bool TChilKat::PDFToBase64(const QString& VArquivo, QString& VBase64) {
    QFile file(VArquivo);
    if (!QFileInfo(VArquivo).isFile() || !file.open(QIODevice::ReadOnly)) {
        FErro = QStringLiteral("Falha ao tentar carregar o arquivo ") + VArquivo;
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        FErro = QStringLiteral("Falha ao tentar carregar o arquivo ") + VArquivo;
        return false;
    }
    VBase64 = QString::fromLatin1(bytes.toBase64());
    return true;
}

bool TChilKat::VinculaCertificadoHttp(TChilKatHttp& VHttp, const QString& VArqPFX,
                                      const QString& VPass, const QString& VCN) {
    try {
        if (VArqPFX.isEmpty()) {
            QString error;
            const std::optional<SigningIdentity> identity =
                loadFromStoreByCommonName(FRepositorioCertificados, VCN, error);
            if (!identity) {
                FErro = QStringLiteral("Falha ao tentar carregar o certificado cert.") + kCrLf +
                        QStringLiteral("- Erro: ") + error;
                return false;
            }
            if (!VHttp.SetSslClientCert(*identity)) {
                FErro = QStringLiteral("Falha ao tentar carregar o certificado.") + kCrLf +
                        QStringLiteral("- Erro: ") + VHttp.LastErrorText();
                return false;
            }
            return true;
        }
        if (!VHttp.SetSslClientCertPfx(VArqPFX, VPass)) {
            FErro = QStringLiteral("Falha ao tentar carregar o certificado.") + kCrLf +
                    QStringLiteral("- Erro: ") + VHttp.LastErrorText();
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        FErro = QString::fromLocal8Bit(e.what());
        return false;
    }
}

bool TChilKat::GeHttp(TChilKatHttp& VHttp, const QString& VURL, QString& VRequest) {
    VRequest = VHttp.QuickGetStr(VURL);
    if (VRequest.isEmpty()) {
        FErro = QStringLiteral("Falha ao tentar consultar a URL (") + VURL + QStringLiteral(").") +
                kCrLf + QStringLiteral("- Erro: ") + VHttp.LastErrorText();
        return false;
    }
    return true;
}

} // namespace vorn::common
