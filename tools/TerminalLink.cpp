#include "TerminalLink.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>

namespace vorn::tools {

namespace protocol = terminal::protocol;

namespace {

int millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

} // namespace

std::variant<UniqueFd, std::string> connectTcp(const std::string& host, std::uint16_t port,
                                               std::chrono::milliseconds timeout) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
        rc != 0)
        return "cannot resolve " + host + ": " + ::gai_strerror(rc);
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    ::freeaddrinfo(found);

    const std::string where = host + ":" + std::to_string(port);
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd)
        return "cannot create a socket: " + std::string(std::strerror(errno));
    const int on = 1;
    ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS)
            return "cannot connect to " + where + ": " + std::strerror(errno);
        pollfd p{fd.get(), POLLOUT, 0};
        const auto deadline = Clock::now() + timeout;
        int ready = 0;
        do {
            ready = ::poll(&p, 1, millisecondsUntil(deadline));
        } while (ready < 0 && errno == EINTR);
        if (ready == 0)
            return "no connection to " + where + " within the timeout";
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &length);
        if (ready < 0 || error != 0)
            return "cannot connect to " + where + ": " + std::strerror(ready < 0 ? errno : error);
    }
    return fd;
}

void raiseOpenFileLimit(unsigned long wanted) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= wanted)
        return;
    limit.rlim_cur =
        limit.rlim_max == RLIM_INFINITY ? wanted : std::min<rlim_t>(wanted, limit.rlim_max);
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

TerminalLink::TerminalLink(UniqueFd fd) : fd_(std::move(fd)) {}

void TerminalLink::send(const protocol::Message& message) {
    if (!open_)
        return;
    out_ += protocol::encode(message);
    flush();
}

void TerminalLink::flush() {
    while (open_ && !out_.empty()) {
        const auto n = ::send(fd_.get(), out_.data(), out_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            out_.erase(0, static_cast<std::size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        } else if (!(n < 0 && errno == EINTR)) {
            close();
        }
    }
}

void TerminalLink::pump() {
    std::array<char, 16 * 1024> buffer;
    for (int reads = 0; open_ && reads < 16; ++reads) {
        const auto n = ::recv(fd_.get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            close();
            break;
        }
        reader_.feed(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
        std::string frame;
        for (;;) {
            const auto status = reader_.next(frame);
            if (status == protocol::FrameReader::Status::NeedMore)
                break;
            if (status == protocol::FrameReader::Status::TooLong) {
                close();
                break;
            }
            auto decoded = protocol::decode(frame);
            auto* message = std::get_if<protocol::Message>(&decoded);
            if (message == nullptr)
                continue;
            if (message->kind == protocol::Kind::Ping) {
                send(protocol::pong());
                ++keepAlivesAnswered_;
            } else
                inbox_.push_back(std::move(*message));
        }
    }
}

std::optional<protocol::Message> TerminalLink::take() {
    if (inbox_.empty())
        return std::nullopt;
    auto message = std::move(inbox_.front());
    inbox_.pop_front();
    return message;
}

void TerminalLink::close() {
    open_ = false;
    out_.clear();
}

std::optional<protocol::Message> nextMessage(TerminalLink& link, Clock::time_point deadline) {
    for (;;) {
        if (auto message = link.take())
            return message;
        if (!link.open())
            return std::nullopt;
        pollfd p{link.fd(), static_cast<short>(POLLIN | (link.wantsWrite() ? POLLOUT : 0)), 0};
        const int ready = ::poll(&p, 1, millisecondsUntil(deadline));
        if (ready == 0 && Clock::now() >= deadline)
            return std::nullopt;
        if (ready > 0 && (p.revents & POLLOUT))
            link.flush();
        if (ready > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR)))
            link.pump();
    }
}

} // namespace vorn::tools
