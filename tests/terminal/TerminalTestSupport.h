#pragma once

// Helpers of the terminal-library tests: a terminal that speaks raw bytes over a real socket, and
// the library started on a free port with a settings file of the test's own.

#include "support/TempDir.h"
#include "terminal/sc501ger.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::test {

using namespace std::chrono_literals;

// One terminal on a blocking loopback socket; every wait has a deadline.
class RawTerminal {
public:
    // Connects to 127.0.0.1:port from `source` (any 127.x.y.z address); throws when it cannot.
    explicit RawTerminal(std::uint16_t port, const char* source = "127.0.0.1");
    ~RawTerminal();
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

    void send(std::string_view bytes);
    // The next line without its LF; nothing on timeout or when the server closed.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout = 5s);
    // Reads the greeting and returns the identifier it gives; 0 when there is none.
    std::int32_t hello();
    // Sends PING and returns every line received before the PONG: since the library handles a
    // connection's frames in order, everything sent before has been dealt with afterwards.
    std::vector<std::string> sync();
    // Every line up to the server's closing of the connection; nothing when it does not close
    // it within the timeout.
    std::optional<std::vector<std::string>>
    linesUntilClosed(std::chrono::milliseconds timeout = 5s);
    bool closedByServer(std::chrono::milliseconds timeout = 5s) {
        return linesUntilClosed(timeout).has_value();
    }
    // The lines already received, without waiting.
    std::vector<std::string> pending();
    void close();

private:
    int fd_ = -1;
    std::string buffer_;
    bool eof_ = false;
};

// Polls `condition` until it holds or the timeout passes.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s);

// What bReceiveBarcode handed out.
struct Received {
    std::int32_t id = 0;
    std::string barcode;
    bool operator==(const Received&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Received& r) {
    return os << r.id << ":" << r.barcode;
}
std::optional<Received> receive();
std::optional<Received> waitReceive(std::chrono::milliseconds timeout = 5s);

TTABSOCK table();
// The server's once-a-second work: the table, then a keep-alive to each occupied slot.
void refreshAndKeepAlive();

// Writes sc501ger.ini into its own temporary folder and points VORN_SC501GER_INI at it.
class LibrarySettings {
public:
    explicit LibrarySettings(std::uint16_t port, const std::string& extra = "");
    ~LibrarySettings();
    LibrarySettings(const LibrarySettings&) = delete;
    LibrarySettings& operator=(const LibrarySettings&) = delete;

    void write(const std::string& iniText);
    std::uint16_t port() const { return port_; }

private:
    TempDir dir_;
    std::uint16_t port_;
};

} // namespace vorn::test
