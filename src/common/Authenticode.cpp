#include "common/Authenticode.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <filesystem>

namespace vorn::common {

namespace {

bool writePrivateFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return file.write(bytes) == bytes.size() && file.commit();
}

QByteArray randomPassphrase() {
    quint32 words[8];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex();
}

} // namespace

bool signAuthenticode(const QString& target, const SigningIdentity& identity,
                      const QString& timestampUrl, QString& error, int timeoutMs) {
    const QFileInfo targetInfo(target);
    if (!targetInfo.isFile()) {
        error = QStringLiteral("O arquivo %1 não existe.").arg(target);
        return false;
    }
    QTemporaryDir secrets; // created with mode 0700, removed with its contents on every path
    if (!secrets.isValid()) {
        error = QStringLiteral("Não foi possível criar a pasta temporária: %1")
                    .arg(secrets.errorString());
        return false;
    }
    const QByteArray passphrase = randomPassphrase();
    const QString certificates = secrets.filePath(QStringLiteral("chain.pem"));
    const QString key = secrets.filePath(QStringLiteral("key.pem"));
    const QString passFile = secrets.filePath(QStringLiteral("pass"));
    if (!writePrivateFile(certificates, identity.certificatesPem()) ||
        !writePrivateFile(key, identity.encryptedKeyPem(passphrase)) ||
        !writePrivateFile(passFile, passphrase)) {
        error = QStringLiteral("Não foi possível preparar o certificado para a assinatura.");
        return false;
    }

    // osslsigncode refuses to write over its input: it writes a copy beside the target, which
    // replaces the target once complete.
    QTemporaryFile output(targetInfo.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!output.open()) {
        error = QStringLiteral("Não foi possível criar o arquivo temporário ao lado de %1: %2")
                    .arg(target, output.errorString());
        return false;
    }
    output.close();
    QFile::remove(output.fileName()); // osslsigncode creates it itself

    QProcess signer;
    signer.setProcessChannelMode(QProcess::MergedChannels);
    signer.start(QStringLiteral("osslsigncode"),
                 {QStringLiteral("sign"), QStringLiteral("-certs"), certificates,
                  QStringLiteral("-key"), key, QStringLiteral("-readpass"), passFile,
                  QStringLiteral("-h"), QStringLiteral("sha256"), QStringLiteral("-ts"),
                  timestampUrl, QStringLiteral("-in"), targetInfo.absoluteFilePath(),
                  QStringLiteral("-out"), output.fileName()});
    if (!signer.waitForStarted()) {
        error = QStringLiteral("Não foi possível executar o osslsigncode: %1")
                    .arg(signer.errorString());
        return false;
    }
    if (!signer.waitForFinished(timeoutMs)) {
        signer.kill();
        signer.waitForFinished();
        error = QStringLiteral("O osslsigncode não terminou em %1 segundos.").arg(timeoutMs / 1000);
        return false;
    }
    const QString messages = QString::fromLocal8Bit(signer.readAll()).trimmed();
    if (signer.exitStatus() != QProcess::NormalExit || signer.exitCode() != 0 ||
        !QFileInfo(output.fileName()).isFile()) {
        error = QStringLiteral("Falha ao assinar %1: %2").arg(target, messages);
        return false;
    }
    QFile::setPermissions(output.fileName(), targetInfo.permissions());
    std::error_code renameError;
    std::filesystem::rename(QFile::encodeName(output.fileName()).constData(),
                            QFile::encodeName(targetInfo.absoluteFilePath()).constData(),
                            renameError);
    if (renameError) {
        error = QStringLiteral("Não foi possível substituir %1: %2")
                    .arg(target, QString::fromStdString(renameError.message()));
        return false;
    }
    return true;
}

} // namespace vorn::common
