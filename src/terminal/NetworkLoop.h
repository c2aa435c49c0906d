#pragma once

// The library's network thread: accepts terminals, reads their frames, queues their barcodes in
// the Registry, answers keep-alives and refusals itself, writes what the program sends, and drops
// terminals that close, fail, misbehave or leave a keep-alive unanswered too long.

#include "terminal/Protocol.h"
#include "terminal/Registry.h"
#include "terminal/UniqueFd.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vorn::terminal {

class NetworkLoop {
public:
    // Serves the listening socket until destroyed: terminals that leave a keep-alive unanswered
    // for `keepAliveTimeout` are dropped, and one client address may hold at most
    // `maxPerAddress` connections. Throws when the loop cannot be set up.
    NetworkLoop(Registry& registry, UniqueFd listener, Clock::duration keepAliveTimeout,
                int maxPerAddress);
    // Stops the thread, then tells every terminal "BYE restart" and closes it. Never waits on
    // the network.
    ~NetworkLoop();
    NetworkLoop(const NetworkLoop&) = delete;
    NetworkLoop& operator=(const NetworkLoop&) = delete;

private:
    struct Connection {
        UniqueFd fd;
        std::int32_t id = 0;
        protocol::FrameReader reader;
        std::string out;
        std::size_t outPos = 0;
        bool watchingWrite = false;
    };
    // A socket that was told BYE: its reading side is drained for a moment, so the peer sees the
    // BYE instead of a reset.
    struct Lingering {
        UniqueFd fd;
        Clock::time_point until;
    };

    void run();
    void iterate();
    void acceptAll();
    void refuse(UniqueFd fd, Registry::Refusal why, std::uint32_t address);
    void readFrom(Connection& c);
    // False when the frame made the connection go.
    bool handleFrame(Connection& c, const std::string& frame);
    // False when the connection went (its output overflowed).
    bool queue(Connection& c, const protocol::Message& m);
    bool queue(Connection& c, std::string_view frame);
    void flush(Connection& c);
    void sendOutgoing();
    void housekeeping(Clock::time_point now);
    void drop(Connection& c, std::optional<protocol::Message> bye);
    void linger(UniqueFd fd);
    void drainLingering(int fd);
    void watch(int fd, std::uint32_t events, std::uint64_t tag, bool add);

    Registry& registry_;
    UniqueFd listener_;
    UniqueFd epoll_;
    UniqueFd wake_;
    Clock::duration keepAliveTimeout_;
    int maxPerAddress_;
    std::unordered_map<std::int32_t, std::unique_ptr<Connection>> connections_;
    std::unordered_map<int, Lingering> lingering_;
    std::vector<std::pair<std::int32_t, std::string>> outgoing_;
    std::optional<Clock::time_point> acceptPausedUntil_;
    Clock::time_point nextHousekeeping_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace vorn::terminal
