#include "Simulator.h"

#include "TerminalLink.h"
#include "platform/Codepage.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace vorn::tools {

namespace protocol = terminal::protocol;
using protocol::Kind;

namespace {

// Control characters would break the one-line-per-barcode output.
std::string printable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return text;
}

void printLine(std::FILE* out, const std::string& line) {
    std::fputs((line + "\n").c_str(), out);
    std::fflush(out);
}

// Reports why the server ended the connection.
void noteFarewell(std::FILE* err, const protocol::Message& m) {
    std::fprintf(err, "vorn-terminal: the server closed the connection: %s %s\n", m.reason.c_str(),
                 platform::ansiToUtf8(m.detail).c_str());
}

class Session {
public:
    Session(TerminalLink& link, const SimulatorOptions& options, std::FILE* out, std::FILE* err)
        : link_(link), options_(options), out_(out), err_(err) {}

    // Scans one barcode and prints its line; true when it was answered.
    bool scan(const std::string& barcode) {
        const std::string shown = printable(barcode);
        if (!link_.open()) {
            printLine(out_, shown + "\tNOANSWER");
            return false;
        }
        const std::string ansi = platform::utf8ToAnsi(barcode);
        link_.send(protocol::scan(ansi));
        const auto deadline = Clock::now() + options_.timeout;
        while (auto m = nextMessage(link_, deadline)) {
            const bool ours = m->barcode == ansi;
            if ((m->kind == Kind::Found || m->kind == Kind::NotFound) && ours) {
                printLine(out_, m->kind == Kind::NotFound
                                    ? shown + "\tNOTFOUND"
                                    : shown + "\tFOUND\t" +
                                          printable(platform::ansiToUtf8(m->description)) + "\t" +
                                          printable(platform::ansiToUtf8(m->price)));
                return true;
            }
            if (m->kind == Kind::Busy && ours) {
                std::fprintf(err_, "vorn-terminal: %s: the server is busy\n", shown.c_str());
                break;
            }
            if (m->kind == Kind::Error) {
                std::fprintf(err_, "vorn-terminal: %s: refused: %s %s\n", shown.c_str(),
                             m->reason.c_str(), platform::ansiToUtf8(m->detail).c_str());
                break;
            }
            if (m->kind == Kind::Bye)
                noteFarewell(err_, *m);
            // anything else is a late answer to an earlier barcode
        }
        if (!link_.open())
            std::fprintf(err_, "vorn-terminal: %s: the connection was lost\n", shown.c_str());
        printLine(out_, shown + "\tNOANSWER");
        return false;
    }

    // The next line of `fd` without its line end, answering keep-alives while it waits; nothing
    // at the end of the input.
    std::optional<std::string> readLine(int fd) {
        for (;;) {
            if (const auto lf = input_.find('\n'); lf != std::string::npos) {
                std::string line = input_.substr(0, lf);
                input_.erase(0, lf + 1);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                return line;
            }
            if (inputEnded_) {
                if (input_.empty())
                    return std::nullopt;
                return std::exchange(input_, {});
            }
            waitForInput(fd);
        }
    }

private:
    void waitForInput(int fd) {
        pollfd p[2] = {{fd, POLLIN, 0}, {link_.open() ? link_.fd() : -1, 0, 0}};
        if (link_.open())
            p[1].events = static_cast<short>(POLLIN | (link_.wantsWrite() ? POLLOUT : 0));
        if (::poll(p, 2, -1) < 0)
            return;
        if (p[1].revents & POLLOUT)
            link_.flush();
        if (p[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            link_.pump();
            while (auto m = link_.take())
                if (m->kind == Kind::Bye)
                    noteFarewell(err_, *m);
        }
        if (p[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char buffer[4096];
            const auto n = ::read(fd, buffer, sizeof buffer);
            if (n > 0)
                input_.append(buffer, static_cast<std::size_t>(n));
            else if (n == 0 || errno != EINTR)
                inputEnded_ = true;
        }
    }

    TerminalLink& link_;
    const SimulatorOptions& options_;
    std::FILE* out_;
    std::FILE* err_;
    std::string input_;
    bool inputEnded_ = false;
};

} // namespace

int runSimulator(const SimulatorOptions& options, const std::vector<std::string>& barcodes,
                 int inputFd, std::FILE* out, std::FILE* err) {
    auto connected = connectTcp(options.host, options.port, options.timeout);
    if (const auto* error = std::get_if<std::string>(&connected)) {
        std::fprintf(err, "vorn-terminal: %s\n", error->c_str());
        return kCannotConnect;
    }
    TerminalLink link(std::move(std::get<UniqueFd>(connected)));
    const auto greeting = nextMessage(link, Clock::now() + options.timeout);
    if (!greeting || greeting->kind != Kind::Hello) {
        if (greeting && greeting->kind == Kind::Bye)
            noteFarewell(err, *greeting);
        else
            std::fprintf(err, "vorn-terminal: no greeting from %s:%u\n", options.host.c_str(),
                         options.port);
        return kCannotConnect;
    }

    Session session(link, options, out, err);
    bool allAnswered = true;
    if (!barcodes.empty()) {
        for (const auto& barcode : barcodes)
            allAnswered = session.scan(barcode) && allAnswered;
    } else {
        while (const auto line = session.readLine(inputFd))
            if (!line->empty())
                allAnswered = session.scan(*line) && allAnswered;
    }
    if (link.open())
        link.send(protocol::bye());
    return allAnswered ? kAllAnswered : kSomeUnanswered;
}

} // namespace vorn::tools
