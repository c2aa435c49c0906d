#include "terminal/NetworkLoop.h"

#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdexcept>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

namespace vorn::terminal {

namespace {

using protocol::Kind;
using protocol::Message;

constexpr std::uint64_t kListenerTag = 1ull << 62;
constexpr std::uint64_t kWakeTag = (1ull << 62) + 1;
constexpr std::uint64_t kLingerBit = 1ull << 61; // | fd; terminal connections are tagged by id
constexpr auto kHousekeepingEvery = std::chrono::milliseconds(100);
constexpr auto kLingerFor = std::chrono::seconds(1);
constexpr auto kAcceptPause = std::chrono::milliseconds(100);
// Bytes waiting to be written to one terminal; past this it is not reading and is dropped.
constexpr std::size_t kMaxConnectionOutput = 256 * 1024;
constexpr std::size_t kReadChunk = 16 * 1024;

// Writes what the socket takes right now; the rest is lost.
void sendNow(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

} // namespace

NetworkLoop::NetworkLoop(Registry& registry, UniqueFd listener, Clock::duration keepAliveTimeout,
                         int maxPerAddress)
    : registry_(registry), listener_(std::move(listener)), epoll_(::epoll_create1(EPOLL_CLOEXEC)),
      wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), keepAliveTimeout_(keepAliveTimeout),
      maxPerAddress_(maxPerAddress) {
    if (!epoll_ || !wake_)
        throw std::runtime_error(std::string("cannot set up the network loop: ") +
                                 std::strerror(errno));
    watch(listener_.get(), EPOLLIN, kListenerTag, true);
    watch(wake_.get(), EPOLLIN, kWakeTag, true);
    registry_.setWakeFd(wake_.get());
    nextHousekeeping_ = Clock::now() + kHousekeepingEvery;
    thread_ = std::thread([this] { run(); });
}

NetworkLoop::~NetworkLoop() {
    stopping_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(wake_.get(), &one, sizeof one);
    if (thread_.joinable())
        thread_.join();
    registry_.setWakeFd(-1);
    const auto restart =
        protocol::encode(protocol::bye(protocol::reason::kRestart, "the server restarts"));
    for (auto& [id, c] : connections_) {
        sendNow(c->fd.get(), std::string_view(c->out).substr(c->outPos));
        sendNow(c->fd.get(), restart);
        registry_.remove(id);
    }
}

void NetworkLoop::watch(int fd, std::uint32_t events, std::uint64_t tag, bool add) {
    epoll_event ev{};
    ev.events = events;
    ev.data.u64 = tag;
    if (::epoll_ctl(epoll_.get(), add ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, fd, &ev) != 0 && add)
        throw std::runtime_error(std::string("epoll_ctl: ") + std::strerror(errno));
}

void NetworkLoop::run() {
    while (!stopping_) {
        try {
            iterate();
        } catch (const std::exception& e) {
            // Out of memory or a failed epoll_ctl: report it and keep serving the others.
            std::fprintf(stderr, "sc501ger: network thread: %s\n", e.what());
        }
    }
}

void NetworkLoop::iterate() {
    std::array<epoll_event, 128> events{};
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(nextHousekeeping_ - Clock::now());
    const int n = ::epoll_wait(epoll_.get(), events.data(), static_cast<int>(events.size()),
                               static_cast<int>(std::max<long long>(0, wait.count())));
    for (int i = 0; i < n; ++i) {
        const auto tag = events[i].data.u64;
        if (tag == kWakeTag) {
            std::uint64_t count = 0;
            [[maybe_unused]] auto got = ::read(wake_.get(), &count, sizeof count);
        } else if (tag == kListenerTag) {
            acceptAll();
        } else if (tag & kLingerBit) {
            drainLingering(static_cast<int>(tag & ~kLingerBit));
        } else if (const auto it = connections_.find(static_cast<std::int32_t>(tag));
                   it != connections_.end()) {
            Connection& c = *it->second;
            if (events[i].events & EPOLLOUT)
                flush(c);
            if (connections_.contains(static_cast<std::int32_t>(tag)) &&
                (events[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR)))
                readFrom(c);
        }
    }
    sendOutgoing();
    const auto now = Clock::now();
    if (now >= nextHousekeeping_) {
        housekeeping(now);
        nextHousekeeping_ = now + kHousekeepingEvery;
    }
}

void NetworkLoop::acceptAll() {
    for (int i = 0; i < 64; ++i) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        UniqueFd fd(::accept4(listener_.get(), reinterpret_cast<sockaddr*>(&peer), &length,
                              SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of descriptors: stop listening for a moment instead of spinning.
                watch(listener_.get(), 0, kListenerTag, false);
                acceptPausedUntil_ = Clock::now() + kAcceptPause;
                return;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return;
            continue; // ECONNABORTED, EINTR, a network error of that one peer
        }
        const int on = 1;
        ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        const auto admitted = registry_.admit(peer.sin_addr.s_addr, maxPerAddress_);
        if (const auto* refusal = std::get_if<Registry::Refusal>(&admitted)) {
            refuse(std::move(fd), *refusal, peer.sin_addr.s_addr);
            continue;
        }
        const auto id = std::get<std::int32_t>(admitted);
        auto c = std::make_unique<Connection>();
        c->fd = std::move(fd);
        c->id = id;
        try {
            watch(c->fd.get(), EPOLLIN, static_cast<std::uint64_t>(id), true);
        } catch (...) {
            registry_.remove(id);
            throw;
        }
        Connection& ref = *c;
        connections_.emplace(id, std::move(c));
        if (queue(ref, protocol::hello(id)))
            flush(ref);
    }
}

void NetworkLoop::refuse(UniqueFd fd, Registry::Refusal why, std::uint32_t address) {
    protocol::Message bye;
    if (why == Registry::Refusal::TableFull) {
        bye =
            protocol::bye(protocol::reason::kFull, std::to_string(SC501GER_MAX_TERMINALS) +
                                                       " terminals are connected; try again later");
    } else {
        char text[INET_ADDRSTRLEN] = "?";
        in_addr addr{};
        addr.s_addr = address;
        ::inet_ntop(AF_INET, &addr, text, sizeof text);
        bye = protocol::bye(protocol::reason::kAddressFull, std::to_string(maxPerAddress_) +
                                                                " terminals are connected from " +
                                                                text + "; try again later");
    }
    sendNow(fd.get(), protocol::encode(bye));
    linger(std::move(fd));
}

void NetworkLoop::readFrom(Connection& c) {
    std::array<char, kReadChunk> buffer;
    const auto n = ::recv(c.fd.get(), buffer.data(), buffer.size(), 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (n <= 0) {
        drop(c, std::nullopt); // closed by the terminal, or a network error
        return;
    }
    c.reader.feed(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    std::string frame;
    for (;;) {
        const auto status = c.reader.next(frame);
        if (status == protocol::FrameReader::Status::NeedMore)
            break;
        if (status == protocol::FrameReader::Status::TooLong) {
            drop(c, protocol::bye(protocol::reason::kFrameTooLong,
                                  "a frame is at most " + std::to_string(protocol::kMaxFrame) +
                                      " bytes"));
            return;
        }
        if (!handleFrame(c, frame))
            return;
    }
    flush(c);
}

bool NetworkLoop::handleFrame(Connection& c, const std::string& frame) {
    auto decoded = protocol::decode(frame);
    if (const auto* error = std::get_if<protocol::DecodeError>(&decoded))
        return queue(c, protocol::error(error->reason, error->detail));
    auto& m = std::get<Message>(decoded);
    switch (m.kind) {
    case Kind::Scan:
        if (registry_.offer(c.id, m.barcode) == Registry::Offer::Busy)
            return queue(c, protocol::busy(std::move(m.barcode)));
        return true;
    case Kind::Ping:
        return queue(c, protocol::pong());
    case Kind::Pong:
        registry_.answeredKeepAlive(c.id);
        return true;
    case Kind::Bye:
        drop(c, std::nullopt);
        return false;
    default:
        return queue(c,
                     protocol::error(protocol::reason::kUnknownMessage,
                                     "terminals do not send " + frame.substr(0, frame.find(' '))));
    }
}

bool NetworkLoop::queue(Connection& c, const Message& m) {
    return queue(c, protocol::encode(m));
}

bool NetworkLoop::queue(Connection& c, std::string_view frame) {
    if (c.out.size() - c.outPos + frame.size() > kMaxConnectionOutput) {
        drop(c, std::nullopt); // it does not read what it is sent
        return false;
    }
    c.out.append(frame);
    return true;
}

void NetworkLoop::flush(Connection& c) {
    while (c.outPos < c.out.size()) {
        const auto n = ::send(c.fd.get(), c.out.data() + c.outPos, c.out.size() - c.outPos,
                              MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            c.outPos += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (!c.watchingWrite) {
                watch(c.fd.get(), EPOLLIN | EPOLLOUT, static_cast<std::uint64_t>(c.id), false);
                c.watchingWrite = true;
            }
            return;
        }
        drop(c, std::nullopt);
        return;
    }
    c.out.clear();
    c.outPos = 0;
    if (c.watchingWrite) {
        watch(c.fd.get(), EPOLLIN, static_cast<std::uint64_t>(c.id), false);
        c.watchingWrite = false;
    }
}

void NetworkLoop::sendOutgoing() {
    registry_.takeOutgoing(outgoing_);
    for (auto& [id, frames] : outgoing_) {
        const auto it = connections_.find(id);
        if (it != connections_.end() && queue(*it->second, frames))
            flush(*it->second);
    }
    outgoing_.clear();
}

void NetworkLoop::housekeeping(Clock::time_point now) {
    const auto seconds = std::chrono::duration<double>(keepAliveTimeout_).count();
    char detail[96];
    std::snprintf(detail, sizeof detail, "no answer to a keep-alive within %g s", seconds);
    for (const auto id : registry_.expired(now, keepAliveTimeout_))
        if (const auto it = connections_.find(id); it != connections_.end())
            drop(*it->second, protocol::bye(protocol::reason::kTimeout, detail));

    for (auto it = lingering_.begin(); it != lingering_.end();)
        it = now >= it->second.until ? lingering_.erase(it) : std::next(it);

    if (acceptPausedUntil_ && now >= *acceptPausedUntil_) {
        watch(listener_.get(), EPOLLIN, kListenerTag, false);
        acceptPausedUntil_.reset();
    }
}

void NetworkLoop::drop(Connection& c, std::optional<Message> farewell) {
    const auto id = c.id;
    registry_.remove(id);
    ::epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, c.fd.get(), nullptr);
    if (farewell) {
        sendNow(c.fd.get(), std::string_view(c.out).substr(c.outPos));
        sendNow(c.fd.get(), protocol::encode(*farewell));
        linger(std::move(c.fd));
    }
    connections_.erase(id); // c is gone from here on
}

void NetworkLoop::linger(UniqueFd fd) {
    ::shutdown(fd.get(), SHUT_WR);
    const int raw = fd.get();
    try {
        watch(raw, EPOLLIN, kLingerBit | static_cast<std::uint64_t>(raw), true);
    } catch (...) {
        return; // closed at once instead
    }
    lingering_[raw] = Lingering{std::move(fd), Clock::now() + kLingerFor};
}

void NetworkLoop::drainLingering(int fd) {
    const auto it = lingering_.find(fd);
    if (it == lingering_.end())
        return;
    std::array<char, 4096> scratch;
    for (int reads = 0; reads < 16; ++reads) { // the rest on the next round, so no peer hogs
        const auto n = ::recv(fd, scratch.data(), scratch.size(), MSG_DONTWAIT);
        if (n > 0)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        lingering_.erase(it); // the peer closed too
        return;
    }
}

} // namespace vorn::terminal
