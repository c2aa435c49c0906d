#include "platform/SingleInstanceGuard.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vorn::platform {

namespace {

QString withoutTrailingSlashes(QString folder) {
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

// A plain file name: not empty, no folder separator, not "." or "..", no NUL.
bool isPlainFileName(const QString& name) {
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(QChar(u'\0'));
}

int openNoInterrupt(const char* path, int flags, mode_t mode) {
    int fd;
    do
        fd = ::open(path, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

QString privateRuntimeFolder(const QString& base) {
    const QString folder = withoutTrailingSlashes(base) +
                           QStringLiteral("/vorn-%1").arg(static_cast<qulonglong>(::getuid()));
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    // O_NOFOLLOW | O_DIRECTORY refuses a symbolic link planted under that name; the checks below
    // then look at the very folder that was opened.
    const int fd =
        openNoInterrupt(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0)
        return {};
    struct stat st {};
    bool usable = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
    if (usable && (st.st_mode & 07777) != 0700)
        usable = ::fchmod(fd, 0700) == 0;
    ::close(fd);
    return usable ? folder : QString();
}

QString chooseRuntimeFolder(const QString& xdgRuntimeDir, const QString& fallbackBase) {
    // Relative values are invalid by the base-directory rules. A folder owned by somebody else is
    // what "su" leaves behind when it keeps the previous user's variable; that one is not ours.
    if (xdgRuntimeDir.startsWith(u'/')) {
        struct stat st {};
        if (::stat(QFile::encodeName(xdgRuntimeDir).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
            st.st_uid == ::getuid())
            return withoutTrailingSlashes(xdgRuntimeDir);
    }
    return privateRuntimeFolder(fallbackBase);
}

QString runtimeFolder() {
    return chooseRuntimeFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), QStringLiteral("/tmp"));
}

SingleInstanceGuard::SingleInstanceGuard(SingleInstanceGuard&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

SingleInstanceGuard& SingleInstanceGuard::operator=(SingleInstanceGuard&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool SingleInstanceGuard::tryAcquire(const QString& name) {
    release();
    if (!isPlainFileName(name))
        return false;
    const QString folder = runtimeFolder();
    if (folder.isEmpty())
        return false;
    const QByteArray path = QFile::encodeName(folder + u'/' + name + QStringLiteral(".lock"));

    // O_CLOEXEC: a program started from the server must not inherit the descriptor, or it would
    // keep the guard taken after the server ends.
    const int fd = openNoInterrupt(path.constData(),
                                   O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    struct stat st {};
    int locked = -1;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid()) {
        do
            locked = ::flock(fd, LOCK_EX | LOCK_NB);
        while (locked != 0 && errno == EINTR);
    }
    if (locked != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;

    // The holder's process number, for whoever looks at the file; the lock does not depend on it.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
        // Nothing to do: the text is informative only.
    }
    return true;
}

void SingleInstanceGuard::release() noexcept {
    if (fd_ < 0)
        return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

} // namespace vorn::platform
