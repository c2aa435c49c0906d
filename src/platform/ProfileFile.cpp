#include "platform/ProfileFile.h"

#include "platform/SystemError.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace vorn::platform {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, reporting the error that a delayed write may only show at this point.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

[[noreturn]] void fail(int code) {
    throw ProfileError(systemErrorText(code));
}

// Refuses anything that is not a regular file: reading a folder fails, and opening a FIFO or a
// device could block the user-interface thread or act on hardware.
void requireRegularFile(const struct stat& info) {
    if (S_ISDIR(info.st_mode))
        fail(EISDIR);
    if (!S_ISREG(info.st_mode))
        throw ProfileError(QStringLiteral("O caminho não é um arquivo comum."));
}

[[noreturn]] void failTooLarge() {
    throw ProfileError(
        QStringLiteral("O arquivo é grande demais para um arquivo de configuração."));
}

// The whole file, or nothing when it does not exist. Throws ProfileError on any other failure.
std::optional<QByteArray> readWholeFile(const QByteArray& path) {
    FileDescriptor fd(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        fail(errno);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        fail(errno);
    requireRegularFile(info);
    if (info.st_size > kMaxProfileFileSize)
        failTooLarge();

    // Read to the end rather than trusting the size: files may grow, and some report none.
    QByteArray data;
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (got == 0)
            break;
        if (data.size() + got > kMaxProfileFileSize)
            failTooLarge();
        data.append(chunk, got);
    }
    return data;
}

void writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        done += put;
    }
}

// Overwrites the file in place (it keeps its owner, permissions and links), then cuts it to size.
// Used only where no file can be created beside it.
void overwriteInPlace(int fd, const QByteArray& bytes) {
    writeAll(fd, bytes);
    if (::ftruncate(fd, bytes.size()) != 0)
        fail(errno);
}

void writeWholeFile(const QByteArray& path, const QByteArray& bytes) {
    FileDescriptor fd(
        ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666));
    if (fd.get() < 0)
        fail(errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        fail(errno);
    requireRegularFile(info);
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        throw ProfileError(QStringLiteral("O arquivo está marcado como somente leitura."));

    // The new text goes to a temporary file beside the old one, which it then replaces in one
    // step: a full disk or a crash halfway leaves the former file whole (the sealed branch
    // record lives in such a file). A linked file, or one in a folder where nothing can be
    // created, is overwritten in place instead.
    struct stat link {};
    const bool symlink = ::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode);
    QByteArray temporary = path + ".gravando-XXXXXX";
    FileDescriptor tmp(symlink || info.st_nlink > 1 ? -1 : ::mkostemp(temporary.data(), O_CLOEXEC));
    if (tmp.get() < 0) {
        if (!symlink && info.st_nlink <= 1 && errno != EACCES && errno != EPERM && errno != EROFS)
            fail(errno);
        overwriteInPlace(fd.get(), bytes);
        if (fd.close() != 0)
            fail(errno);
        return;
    }
    try {
        if (::fchmod(tmp.get(), info.st_mode & 07777) != 0 ||
            (::geteuid() == 0 && ::fchown(tmp.get(), info.st_uid, info.st_gid) != 0))
            fail(errno);
        writeAll(tmp.get(), bytes);
        if (::fsync(tmp.get()) != 0 || tmp.close() != 0)
            fail(errno);
        if (::rename(temporary.constData(), path.constData()) != 0)
            fail(errno);
    } catch (...) {
        ::unlink(temporary.constData());
        throw;
    }
}

} // namespace

QString readProfileString(const QString& file, const QString& section, const QString& key,
                          const QString& defaultValue) {
    try {
        const std::optional<QByteArray> bytes = readWholeFile(QFile::encodeName(file));
        if (!bytes)
            return defaultValue;
        return ProfileText(*bytes).value(section, key).value_or(defaultValue);
    } catch (const std::exception&) {
        // Covers ProfileError and running out of memory alike: a read never fails.
        return defaultValue;
    }
}

QString readProfileStringStrict(const QString& file, const QString& section, const QString& key,
                                const QString& defaultValue) {
    const QByteArray path = QFile::encodeName(file);
    if (path.isEmpty())
        return defaultValue;
    const std::optional<QByteArray> bytes = readWholeFile(path);
    if (!bytes) {
        // A link whose target is missing was put there on purpose (a file on a share that is not
        // mounted, say): it is not a missing file, and its default must not be served.
        struct stat link {};
        if (::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            throw ProfileError(
                QStringLiteral("O link simbólico aponta para um arquivo que não existe."));
        return defaultValue;
    }
    return ProfileText(*bytes).value(section, key).value_or(defaultValue);
}

void writeProfileString(const QString& file, const QString& section, const QString& key,
                        const QString& value) {
    const QByteArray path = QFile::encodeName(file);
    if (path.isEmpty())
        fail(ENOENT);
    ProfileText text(readWholeFile(path).value_or(QByteArray()));
    text.setValue(section, key, value);
    if (text.bytes().size() > kMaxProfileFileSize)
        failTooLarge();
    writeWholeFile(path, text.bytes());
}

} // namespace vorn::platform
