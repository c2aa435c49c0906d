#pragma once

// What the program's thread and the network thread share: the connected-terminals table, the
// scanned barcodes waiting to be handed out and the frames the program sends. One mutex guards all
// of it; every member function may be called from any thread and takes the lock only briefly.

#include "terminal/sc501ger.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace vorn::terminal {

using Clock = std::chrono::steady_clock;

// How many of one terminal's barcodes may wait; beyond that it is told BUSY. The barcodes are
// handed out one terminal after the other (round robin), so a terminal's waiting barcodes delay
// another terminal's scan by at most one turn, however many they are.
inline constexpr int kMaxWaitingPerTerminal = 8;
// Bytes of answers the program may pile up for one terminal before sends to it fail; a terminal
// that stops reading is dropped by its keep-alive timeout well before.
inline constexpr std::size_t kMaxOutboxBytes = 256 * 1024;

struct Scan {
    std::int32_t id = 0;
    std::string barcode;
};

class Registry {
public:
    Registry() = default;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // --- Network thread ---

    // The eventfd written when the program has frames to send (-1: none).
    void setWakeFd(int fd);
    // Why a new terminal was not admitted.
    enum class Refusal {
        TableFull,   // every slot is taken
        AddressFull, // its address holds `maxPerAddress` connections already
    };
    // Takes a free slot for a new terminal: its fresh identifier, or why it cannot have one. The
    // address is in network byte order.
    std::variant<std::int32_t, Refusal> admit(std::uint32_t address, int maxPerAddress);
    // The terminal has gone: its slot, its queued barcodes and its pending frames go with it.
    void remove(std::int32_t id);
    enum class Offer { Queued, Busy };
    Offer offer(std::int32_t id, std::string barcode);
    void answeredKeepAlive(std::int32_t id);
    // Terminals that left a keep-alive unanswered for longer than `timeout`.
    std::vector<std::int32_t> expired(Clock::time_point now, Clock::duration timeout);
    // Hands over the frames the program sent since the last call, per terminal.
    void takeOutgoing(std::vector<std::pair<std::int32_t, std::string>>& out);
    // Empties the table and the queue; identifiers are not reused afterwards either.
    void clear();

    // --- Program thread ---

    int copyTable(TTABSOCK& table) const;
    std::optional<Scan> next();
    bool sendPrice(std::int32_t id, std::string_view description, std::string_view price);
    bool sendNotFound(std::int32_t id);
    bool sendKeepAlive(std::int32_t id, Clock::time_point now);

private:
    struct Link {
        int slot = 0;
        std::uint32_t address = 0;
        std::deque<std::string> waiting; // its barcodes not handed out yet, oldest first
        std::string lastHandedOut;       // the barcode an answer refers to
        std::string outbox;              // encoded frames for the network thread
        std::optional<Clock::time_point> keepAliveSince;
    };

    // Appends a frame for the terminal and wakes the network thread; false when its outbox is
    // full. Called with the lock held.
    bool post(Link& link, std::int32_t id, const std::string& frame);
    std::int32_t freshId();

    mutable std::mutex mutex_;
    TTABSOCK table_{};
    std::unordered_map<std::int32_t, Link> links_;
    // Terminals with waiting barcodes, in the order of their next turn: one barcode per turn, and
    // a terminal with more waiting goes to the back again.
    std::deque<std::int32_t> turns_;
    std::unordered_map<std::uint32_t, int> perAddress_; // connections per client address
    std::vector<std::int32_t> dirty_;                   // terminals with a non-empty outbox
    bool wakePending_ = false;
    int wakeFd_ = -1; // written under the lock, so it is never closed under a writer
    std::int32_t lastId_ = 0;
};

} // namespace vorn::terminal
