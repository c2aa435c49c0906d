#pragma once

// A terminal for in-process tests of the server window: it talks to the terminal library over
// loopback while the test keeps the window's event loop turning, since the window answers from
// its timers on this same thread.

#include "TerminalLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <optional>
#include <stdexcept>
#include <string>

namespace vorn::test {

class TestTerminal {
public:
    explicit TestTerminal(std::uint16_t port) : link_(connect(port)) {}

    void scan(const std::string& barcode) { link_.send(terminal::protocol::scan(barcode)); }

    // The next answer to a scan (FOUND, NOTFOUND or BUSY), turning the event loop meanwhile.
    std::optional<terminal::protocol::Message> answer(int timeoutMs = 3000) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (auto message = poll())
                return message;
            if (!link_.open())
                return std::nullopt;
        }
        return std::nullopt;
    }

    // An answer that has arrived by now, without waiting and without turning the event loop.
    std::optional<terminal::protocol::Message> poll() {
        link_.flush();
        link_.pump();
        while (auto message = link_.take()) {
            using terminal::protocol::Kind;
            if (message->kind == Kind::Found || message->kind == Kind::NotFound ||
                message->kind == Kind::Busy)
                return message;
        }
        return std::nullopt;
    }

    // Keeps the event loop and the link turning until `done()` holds or `timeoutMs` passed;
    // whether it held. Keep-alives get answered meanwhile; other messages wait for answer().
    template <typename Predicate> bool idleUntil(Predicate done, int timeoutMs = 5000) {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            if (done())
                return true;
            if (clock.elapsed() >= timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            link_.flush();
            link_.pump();
        }
    }

    // Whether something accepts connections on the port.
    static bool listening(std::uint16_t port) {
        auto result = tools::connectTcp("127.0.0.1", port, std::chrono::milliseconds(1000));
        return std::holds_alternative<terminal::UniqueFd>(result);
    }

    // The keep-alives this terminal has answered so far.
    std::size_t keepAlivesAnswered() const { return link_.keepAlivesAnswered(); }

private:
    static tools::TerminalLink connect(std::uint16_t port) {
        auto result = tools::connectTcp("127.0.0.1", port, std::chrono::milliseconds(2000));
        if (auto* error = std::get_if<std::string>(&result))
            throw std::runtime_error("cannot connect to the terminal port: " + *error);
        return tools::TerminalLink(std::move(std::get<terminal::UniqueFd>(result)));
    }

    tools::TerminalLink link_;
};

} // namespace vorn::test
