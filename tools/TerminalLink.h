#pragma once

// The terminal's end of a connection to the terminal library, for the simulator and the load
// generator: non-blocking socket, frames in and out, keep-alives answered on the way.

#include "terminal/Protocol.h"
#include "terminal/UniqueFd.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <variant>

namespace vorn::tools {

using Clock = std::chrono::steady_clock;
using terminal::UniqueFd;

// A non-blocking TCP connection to host:port (an IPv4 address or a name), made within `timeout`;
// or the reason it failed.
std::variant<UniqueFd, std::string> connectTcp(const std::string& host, std::uint16_t port,
                                               std::chrono::milliseconds timeout);

// Raises this process's soft limit on open files towards `wanted` (as far as the hard limit
// allows), for programs that hold many connections.
void raiseOpenFileLimit(unsigned long wanted);

class TerminalLink {
public:
    explicit TerminalLink(UniqueFd fd);

    int fd() const { return fd_.get(); }
    // False once the connection has ended: closed, failed, or sent a frame over the limit.
    bool open() const { return open_; }

    // Queues a frame and writes what the socket takes now.
    void send(const terminal::protocol::Message& message);
    bool wantsWrite() const { return open_ && !out_.empty(); }
    void flush();
    // Reads what has arrived, without waiting; answers PING with PONG.
    void pump();
    // The next message that pump() decoded; frames that do not decode are skipped, as the
    // protocol asks of terminals.
    std::optional<terminal::protocol::Message> take();
    // The keep-alives (PING) pump() has answered so far.
    std::size_t keepAlivesAnswered() const { return keepAlivesAnswered_; }

private:
    void close();

    UniqueFd fd_;
    terminal::protocol::FrameReader reader_;
    std::string out_;
    std::deque<terminal::protocol::Message> inbox_;
    bool open_ = true;
    std::size_t keepAlivesAnswered_ = 0;
};

// Waits for the link's next message until `deadline`; nothing when the deadline passed or the
// link ended.
std::optional<terminal::protocol::Message> nextMessage(TerminalLink& link,
                                                       Clock::time_point deadline);

} // namespace vorn::tools
