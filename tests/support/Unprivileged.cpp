#include "support/Unprivileged.h"

#include <sys/wait.h>
#include <unistd.h>

namespace vorn::test {

bool asUnprivilegedUser(const std::function<bool()>& check) {
    if (::geteuid() != 0)
        return check();
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace vorn::test
