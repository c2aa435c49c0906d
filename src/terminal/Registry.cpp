#include "terminal/Registry.h"

#include "terminal/Protocol.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unistd.h>
#include <utility>

namespace vorn::terminal {

void Registry::setWakeFd(int fd) {
    std::lock_guard lock(mutex_);
    wakeFd_ = fd;
    wakePending_ = false;
}

std::int32_t Registry::freshId() {
    // Counting up and wrapping only after 2^31 - 1 terminals: an identifier is not seen again
    // while an answer to its terminal could still be on its way.
    do {
        lastId_ = lastId_ == std::numeric_limits<std::int32_t>::max() ? 1 : lastId_ + 1;
    } while (links_.contains(lastId_));
    return lastId_;
}

std::variant<std::int32_t, Registry::Refusal> Registry::admit(std::uint32_t address,
                                                              int maxPerAddress) {
    std::lock_guard lock(mutex_);
    const auto* free = std::find(std::begin(table_.TabSock), std::end(table_.TabSock), 0);
    if (free == std::end(table_.TabSock))
        return Refusal::TableFull;
    int& fromAddress = perAddress_[address];
    if (fromAddress >= maxPerAddress)
        return Refusal::AddressFull;
    const int slot = static_cast<int>(free - std::begin(table_.TabSock));
    const std::int32_t id = freshId();
    table_.TabSock[slot] = id;
    table_.TabUID[slot] = address;
    ++table_.NumSockConec;
    ++fromAddress;
    Link& link = links_[id];
    link.slot = slot;
    link.address = address;
    return id;
}

void Registry::remove(std::int32_t id) {
    std::lock_guard lock(mutex_);
    const auto it = links_.find(id);
    if (it == links_.end())
        return;
    table_.TabSock[it->second.slot] = 0;
    table_.TabUID[it->second.slot] = 0;
    --table_.NumSockConec;
    if (const auto from = perAddress_.find(it->second.address);
        from != perAddress_.end() && --from->second <= 0)
        perAddress_.erase(from);
    if (!it->second.waiting.empty())
        std::erase(turns_, id);
    links_.erase(it);
}

Registry::Offer Registry::offer(std::int32_t id, std::string barcode) {
    std::lock_guard lock(mutex_);
    const auto it = links_.find(id);
    if (it == links_.end() || std::ssize(it->second.waiting) >= kMaxWaitingPerTerminal)
        return Offer::Busy;
    if (it->second.waiting.empty())
        turns_.push_back(id);
    it->second.waiting.push_back(std::move(barcode));
    return Offer::Queued;
}

void Registry::answeredKeepAlive(std::int32_t id) {
    std::lock_guard lock(mutex_);
    if (const auto it = links_.find(id); it != links_.end())
        it->second.keepAliveSince.reset();
}

std::vector<std::int32_t> Registry::expired(Clock::time_point now, Clock::duration timeout) {
    std::vector<std::int32_t> ids;
    std::lock_guard lock(mutex_);
    for (const auto& [id, link] : links_)
        if (link.keepAliveSince && now - *link.keepAliveSince > timeout)
            ids.push_back(id);
    return ids;
}

void Registry::takeOutgoing(std::vector<std::pair<std::int32_t, std::string>>& out) {
    out.clear();
    std::lock_guard lock(mutex_);
    wakePending_ = false;
    for (const auto id : dirty_)
        if (const auto it = links_.find(id); it != links_.end() && !it->second.outbox.empty())
            out.emplace_back(id, std::move(it->second.outbox)), it->second.outbox.clear();
    dirty_.clear();
}

void Registry::clear() {
    std::lock_guard lock(mutex_);
    table_ = TTABSOCK{};
    links_.clear();
    turns_.clear();
    perAddress_.clear();
    dirty_.clear();
    wakePending_ = false;
}

int Registry::copyTable(TTABSOCK& table) const {
    std::lock_guard lock(mutex_);
    std::memcpy(&table, &table_, sizeof table);
    return table_.NumSockConec;
}

std::optional<Scan> Registry::next() {
    std::lock_guard lock(mutex_);
    if (turns_.empty())
        return std::nullopt;
    const std::int32_t id = turns_.front();
    turns_.pop_front();
    Link& link = links_.at(id); // remove() takes a terminal's turn with it
    Scan scan{id, std::move(link.waiting.front())};
    link.waiting.pop_front();
    if (!link.waiting.empty())
        turns_.push_back(id);
    link.lastHandedOut = scan.barcode;
    return scan;
}

bool Registry::post(Link& link, std::int32_t id, const std::string& frame) {
    if (link.outbox.size() + frame.size() > kMaxOutboxBytes)
        return false;
    if (link.outbox.empty())
        dirty_.push_back(id);
    link.outbox += frame;
    if (!wakePending_ && wakeFd_ >= 0) {
        wakePending_ = true;
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(wakeFd_, &one, sizeof one);
    }
    return true;
}

bool Registry::sendPrice(std::int32_t id, std::string_view description, std::string_view price) {
    std::lock_guard lock(mutex_);
    const auto it = links_.find(id);
    if (it == links_.end())
        return false;
    const auto frame = protocol::encode(protocol::found(
        std::exchange(it->second.lastHandedOut, {}), std::string(description), std::string(price)));
    return post(it->second, id, frame);
}

bool Registry::sendNotFound(std::int32_t id) {
    std::lock_guard lock(mutex_);
    const auto it = links_.find(id);
    if (it == links_.end())
        return false;
    const auto frame =
        protocol::encode(protocol::notFound(std::exchange(it->second.lastHandedOut, {})));
    return post(it->second, id, frame);
}

bool Registry::sendKeepAlive(std::int32_t id, Clock::time_point now) {
    static const std::string ping = protocol::encode(protocol::ping());
    std::lock_guard lock(mutex_);
    const auto it = links_.find(id);
    if (it == links_.end() || !post(it->second, id, ping))
        return false;
    if (!it->second.keepAliveSince)
        it->second.keepAliveSince = now;
    return true;
}

} // namespace vorn::terminal
