#include "terminal/Library.h"

#include "terminal/Settings.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <netinet/in.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <variant>

namespace vorn::terminal {

namespace {

// A full table needs a descriptor per terminal, plus the ones that are being refused or closed,
// plus the program's own; many systems start processes with a soft limit of 1024.
void raiseDescriptorLimit() {
    constexpr rlim_t wanted = 2 * SC501GER_MAX_TERMINALS + 512;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= wanted)
        return;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

std::variant<UniqueFd, std::string> listenOn(const Settings& s) {
    const std::string where = s.address + ":" + std::to_string(s.port);
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd)
        return "cannot create a socket: " + std::string(std::strerror(errno));
    const int on = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(s.port);
    if (::inet_pton(AF_INET, s.address.c_str(), &addr.sin_addr) != 1)
        return "not an IPv4 address: " + s.address;
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(fd.get(), SOMAXCONN) != 0)
        return "cannot listen on " + where + ": " + std::strerror(errno);
    return fd;
}

} // namespace

Library& Library::instance() {
    static Library library;
    return library;
}

void Library::reset() {
    std::lock_guard lock(lifecycle_);
    loop_.reset();
    registry_.clear();
}

bool Library::start() {
    std::lock_guard lock(lifecycle_);
    if (loop_)
        return true;
    try {
        const auto file = settingsFile();
        auto settings = loadSettings(file);
        if (const auto* error = std::get_if<std::string>(&settings)) {
            std::fprintf(stderr, "sc501ger: %s\n", error->c_str());
            return false;
        }
        const auto& s = std::get<Settings>(settings);
        raiseDescriptorLimit();
        auto listener = listenOn(s);
        if (const auto* error = std::get_if<std::string>(&listener)) {
            std::fprintf(stderr, "sc501ger: %s\n", error->c_str());
            return false;
        }
        loop_ = std::make_unique<NetworkLoop>(registry_, std::move(std::get<UniqueFd>(listener)),
                                              s.keepAliveTimeout, s.maxPerAddress);
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sc501ger: cannot start: %s\n", e.what());
        return false;
    }
}

} // namespace vorn::terminal
