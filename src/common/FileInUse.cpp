#include "common/FileInUse.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vorn::common {

namespace {

// Closes the descriptor on every path.
struct Descritor {
    int fd;
    ~Descritor() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Every entry of a folder as text; nothing when it cannot be read.
template <typename F> void paraCadaEntrada(const std::string& pasta, F&& f) {
    DIR* d = ::opendir(pasta.c_str());
    if (d == nullptr)
        return;
    while (const dirent* e = ::readdir(d)) {
        const std::string nome = e->d_name;
        if (nome != "." && nome != ".." && f(nome))
            break;
    }
    ::closedir(d);
}

bool ehNumero(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

bool arquivoAbertoPorAlgumProcesso(const QString& arquivo, int exceto) {
    struct stat alvo {};
    if (arquivo.isEmpty() || ::stat(QFile::encodeName(arquivo).constData(), &alvo) != 0)
        return false;
    const std::string proprio = std::to_string(::getpid());
    bool achou = false;
    paraCadaEntrada("/proc", [&](const std::string& pid) {
        if (!ehNumero(pid))
            return false;
        const std::string fds = "/proc/" + pid + "/fd";
        paraCadaEntrada(fds, [&](const std::string& fd) {
            if (pid == proprio && fd == std::to_string(exceto))
                return false;
            struct stat st {};
            // stat() on the fd entry describes the open file itself, whatever its name now.
            if (::stat((fds + "/" + fd).c_str(), &st) == 0 && st.st_dev == alvo.st_dev &&
                st.st_ino == alvo.st_ino) {
                achou = true;
                return true;
            }
            return false;
        });
        return achou;
    });
    return achou;
}

bool arquivoEstaEmUso(const QString& arquivo) {
    if (arquivo.isEmpty())
        return true;
    const Descritor d{::open(QFile::encodeName(arquivo).constData(),
                             O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (d.fd < 0)
        return true;
    struct stat st {};
    if (::fstat(d.fd, &st) != 0 || S_ISDIR(st.st_mode))
        return true;

    // Should another process open the file in the instant the lease is held, the kernel signals
    // us to break it; SIGIO would end the program, so the break comes as SIGURG, which is ignored
    // unless someone handles it. The lease goes at once anyway, which lets the opener carry on.
    if (::fcntl(d.fd, F_SETSIG, SIGURG) == 0 && ::fcntl(d.fd, F_SETLEASE, F_WRLCK) == 0) {
        ::fcntl(d.fd, F_SETLEASE, F_UNLCK);
        return false;
    }
    if (errno == EAGAIN || errno == EBUSY)
        return true;
    return arquivoAbertoPorAlgumProcesso(arquivo, d.fd);
}

} // namespace vorn::common
