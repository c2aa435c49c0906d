#include "common/ZipArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <memory>
#include <zip.h>

namespace vorn::common {

namespace {

struct ZipDiscard {
    void operator()(zip_t* p) const { zip_discard(p); }
};

bool hasWildcard(const QString& name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')) ||
           name.contains(QLatin1Char('['));
}

// The files an entry stands for, or false with the reason.
bool expandEntry(const QString& entry, QStringList& files, QString& error) {
    const QFileInfo info(entry);
    if (!hasWildcard(info.fileName())) {
        if (!info.exists()) {
            error = QStringLiteral("O arquivo %1 não existe.").arg(entry);
            return false;
        }
        if (!info.isFile()) {
            error = QStringLiteral("%1 não é um arquivo.").arg(entry);
            return false;
        }
        files << info.absoluteFilePath();
        return true;
    }
    QDir folder = info.dir();
    if (!folder.exists()) {
        error = QStringLiteral("A pasta %1 não existe.").arg(folder.path());
        return false;
    }
    const QFileInfoList matches = folder.entryInfoList(
        QStringList{info.fileName()}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& match : matches)
        files << match.absoluteFilePath();
    return true;
}

// libzip opens the files only when the archive is closed; a file it cannot read is found here,
// at the step that adds it, with its own reason.
bool checkReadable(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error =
            QStringLiteral("Não foi possível ler o arquivo %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// An archive with no entries: just the end-of-central-directory record.
bool writeEmptyArchive(const QString& archivePath, QString& error) {
    static const char kEmpty[22] = {'P', 'K', 5, 6};
    QSaveFile file(archivePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(kEmpty, sizeof kEmpty) != sizeof kEmpty ||
        !file.commit()) {
        error = QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                    .arg(archivePath, file.errorString());
        return false;
    }
    return true;
}

} // namespace

bool writeZipArchive(const QString& archivePath, const QStringList& entries,
                     const QString& password, QString& error) {
    QStringList files;
    for (const QString& entry : entries) {
        QStringList expanded;
        if (!expandEntry(entry, expanded, error))
            return false;
        for (const QString& file : expanded)
            if (!checkReadable(file, error))
                return false;
        files << expanded;
    }
    if (files.isEmpty())
        return writeEmptyArchive(archivePath, error);

    int code = 0;
    const QByteArray path = QFile::encodeName(archivePath);
    std::unique_ptr<zip_t, ZipDiscard> archive(
        zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &code));
    if (!archive) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, code);
        error = QStringLiteral("Não foi possível criar o arquivo %1: %2")
                    .arg(archivePath, QString::fromUtf8(zip_error_strerror(&reason)));
        zip_error_fini(&reason);
        return false;
    }
    const QByteArray secret = password.toUtf8();
    for (const QString& file : files) {
        const QByteArray source = QFile::encodeName(file);
        const QByteArray name = QFileInfo(file).fileName().toUtf8();
        zip_source_t* data = zip_source_file(archive.get(), source.constData(), 0, 0);
        const zip_int64_t index =
            data ? zip_file_add(archive.get(), name.constData(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (data)
                zip_source_free(data);
            error = QStringLiteral("Não foi possível incluir %1 no arquivo compactado: %2")
                        .arg(file, QString::fromUtf8(zip_strerror(archive.get())));
            return false;
        }
        if (!secret.isEmpty() &&
            zip_file_set_encryption(archive.get(), zip_uint64_t(index), ZIP_EM_TRAD_PKWARE,
                                    secret.constData()) != 0) {
            error = QStringLiteral("Não foi possível proteger %1 com a senha: %2")
                        .arg(file, QString::fromUtf8(zip_strerror(archive.get())));
            return false;
        }
    }
    if (zip_close(archive.get()) != 0) {
        error = QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                    .arg(archivePath, QString::fromUtf8(zip_strerror(archive.get())));
        return false;
    }
    static_cast<void>(archive.release()); // zip_close freed it
    return true;
}

} // namespace vorn::common
