#include "app/ArquivoIlegivel.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorn::app {

namespace {

QString motivoDoErro(int erro) {
    switch (erro) {
    case EACCES:
    case EPERM:
        return QStringLiteral("sem permissão de leitura");
    case ELOOP:
        return QStringLiteral("laço de links simbólicos");
    case ENOENT:
        return QStringLiteral("link simbólico para um arquivo que não existe");
    case EISDIR:
        return QStringLiteral("é uma pasta");
    default:
        return QString::fromLocal8Bit(std::strerror(erro));
    }
}

class Descritor {
public:
    explicit Descritor(int fd) : fd_(fd) {}
    ~Descritor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descritor(const Descritor&) = delete;
    Descritor& operator=(const Descritor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

QString MotivoArquivoIlegivel(const QString& caminho) {
    const QByteArray nome = caminho.toLocal8Bit();
    struct stat info {};
    if (::lstat(nome.constData(), &info) != 0)
        return errno == ENOENT ? QString() : motivoDoErro(errno);
    // O_NONBLOCK: a FIFO put in the file's place must not hold the start-up.
    const Descritor fd(::open(nome.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        return motivoDoErro(errno);
    if (::fstat(fd.get(), &info) != 0)
        return motivoDoErro(errno);
    if (S_ISDIR(info.st_mode))
        return motivoDoErro(EISDIR);
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("não é um arquivo comum");
    char byte = 0;
    if (::read(fd.get(), &byte, 1) < 0)
        return motivoDoErro(errno);
    return QString();
}

} // namespace vorn::app
