#include "TerminalTestSupport.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace vorn::test {

RawTerminal::RawTerminal(std::uint16_t port, const char* source) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        throw std::runtime_error("socket() failed");
    sockaddr_in from{};
    from.sin_family = AF_INET;
    ::inet_pton(AF_INET, source, &from.sin_addr);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int on = 1; // frames go out at once, as a terminal sends them
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        ::connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        const std::string why = std::strerror(errno);
        close();
        throw std::runtime_error("cannot connect to port " + std::to_string(port) + ": " + why);
    }
}

RawTerminal::~RawTerminal() {
    close();
}

void RawTerminal::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void RawTerminal::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const auto n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            throw std::runtime_error("send() failed");
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::optional<std::string> RawTerminal::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const auto lf = buffer_.find('\n'); lf != std::string::npos) {
            std::string line = buffer_.substr(0, lf);
            buffer_.erase(0, lf + 1);
            return line;
        }
        if (eof_ || fd_ < 0)
            return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::max<long long>(left.count(), 0))) <= 0) {
            if (std::chrono::steady_clock::now() >= deadline)
                return std::nullopt;
            continue;
        }
        char chunk[65536];
        const auto n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0)
            eof_ = true;
        else
            buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

std::int32_t RawTerminal::hello() {
    const auto line = readLine();
    if (!line || line->rfind("HELLO 1 ", 0) != 0)
        return 0;
    return std::atoi(line->c_str() + 8);
}

std::vector<std::string> RawTerminal::sync() {
    send("PING\n");
    std::vector<std::string> before;
    while (auto line = readLine()) {
        if (*line == "PONG")
            return before;
        before.push_back(*line);
    }
    throw std::runtime_error("no PONG");
}

std::optional<std::vector<std::string>>
RawTerminal::linesUntilClosed(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::vector<std::string> lines;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (auto line = readLine(std::max(left, 0ms)))
            lines.push_back(std::move(*line));
        else if (eof_)
            return lines;
        else
            return std::nullopt;
    }
}

std::vector<std::string> RawTerminal::pending() {
    std::vector<std::string> lines;
    while (auto line = readLine(0ms))
        lines.push_back(*line);
    return lines;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::optional<Received> receive() {
    std::int32_t id = 0;
    std::int32_t port = 6500;
    std::int32_t length = -1;
    char buffer[1024];
    std::memset(buffer, 'x', sizeof buffer);
    if (!bReceiveBarcode(&id, &port, buffer, &length))
        return std::nullopt;
    if (length <= 0 || length > 1023 || buffer[length] != '\0')
        throw std::runtime_error("bReceiveBarcode gave a bad length");
    return Received{id, std::string(buffer, static_cast<std::size_t>(length))};
}

std::optional<Received> waitReceive(std::chrono::milliseconds timeout) {
    std::optional<Received> got;
    waitUntil([&] { return (got = receive()).has_value(); }, timeout);
    return got;
}

TTABSOCK table() {
    TTABSOCK t;
    std::memset(&t, 0xAB, sizeof t);
    GetTabConectados(&t, 1);
    return t;
}

void refreshAndKeepAlive() {
    const TTABSOCK t = table();
    for (const auto id : t.TabSock)
        if (id != 0)
            bEnviaVivo(id);
}

LibrarySettings::LibrarySettings(std::uint16_t port, const std::string& extra) : port_(port) {
    write("[Servidor]\r\nPorta=" + std::to_string(port) + "\r\nEndereco=127.0.0.1\r\n" + extra);
    ::setenv("VORN_SC501GER_INI", (dir_ / "sc501ger.ini").c_str(), 1);
}

LibrarySettings::~LibrarySettings() {
    ::unsetenv("VORN_SC501GER_INI");
}

void LibrarySettings::write(const std::string& iniText) {
    writeFile(dir_ / "sc501ger.ini", iniText);
}

} // namespace vorn::test
