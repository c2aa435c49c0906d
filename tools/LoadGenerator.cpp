#include "LoadGenerator.h"

#include "TerminalLink.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <memory>
#include <sys/epoll.h>

namespace vorn::tools {

namespace protocol = terminal::protocol;
using protocol::Kind;

namespace {

struct Pending {
    std::string barcode;
    Clock::time_point sent;
    bool late = false; // counted as unanswered already
};

// What happened in one reporting interval.
struct Interval {
    long sent = 0;
    long found = 0;
    long notFound = 0;
    long refused = 0;
    long unanswered = 0;
    std::vector<double> latenciesMs;
};

struct Terminal {
    std::unique_ptr<TerminalLink> link;
    std::deque<Pending> pending;
    bool greeted = false;
    bool watchingWrite = false;
    bool gone = false;
};

class Load {
public:
    Load(const LoadOptions& options, LoadReport& report)
        : options_(options), report_(report), epoll_(::epoll_create1(EPOLL_CLOEXEC)) {}

    std::string connectAll() {
        std::string firstError;
        raiseOpenFileLimit(options_.terminals + 256);
        for (unsigned i = 0; i < options_.terminals; ++i) {
            auto connected = connectTcp(options_.host, options_.port, options_.timeout);
            if (auto* error = std::get_if<std::string>(&connected)) {
                if (firstError.empty())
                    firstError = *error;
                continue;
            }
            Terminal t;
            t.link = std::make_unique<TerminalLink>(std::move(std::get<UniqueFd>(connected)));
            epoll_event ev{};
            ev.events = EPOLLIN;
            ev.data.u64 = terminals_.size();
            ::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, t.link->fd(), &ev);
            terminals_.push_back(std::move(t));
        }
        const auto deadline = Clock::now() + options_.timeout;
        while (Clock::now() < deadline && greeted() + goneCount() < terminals_.size())
            serve(deadline);
        for (auto& t : terminals_)
            if (!t.greeted)
                retire(t);
        report_.connected = static_cast<unsigned>(greeted());
        if (report_.connected == 0)
            return firstError.empty() ? "no terminal was greeted by the server" : firstError;
        return {};
    }

    void scan() {
        const auto start = Clock::now();
        scanStart_ = start;
        nextReport_ = start + options_.interval;
        const auto end = start + std::chrono::duration_cast<Clock::duration>(
                                     std::chrono::duration<double>(options_.duration));
        std::size_t next = 0; // round robin over the terminals
        long index = 0;
        while (!stopRequested() && Clock::now() < end) {
            auto due = end;
            if (options_.rate > 0 && !options_.barcodes.empty()) {
                due = start +
                      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                          static_cast<double>(index) / options_.rate));
                for (auto now = Clock::now(); due <= now && due < end;) {
                    Terminal* t = nextAlive(next);
                    if (t == nullptr)
                        return;
                    const auto& barcode =
                        options_
                            .barcodes[static_cast<std::size_t>(index) % options_.barcodes.size()];
                    t->pending.push_back({barcode, Clock::now()});
                    t->link->send(protocol::scan(barcode));
                    watchWrites(*t);
                    ++report_.sent;
                    ++interval_.sent;
                    ++index;
                    due = start +
                          std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                              static_cast<double>(index) / options_.rate));
                }
            }
            serve(std::min({due, end, reportDue()}));
            report();
        }
    }

    void drain() {
        const auto deadline = Clock::now() + options_.timeout;
        while (Clock::now() < deadline && waiting()) {
            serve(std::min(deadline, reportDue()));
            report();
        }
        finalReport();
    }

private:
    bool reporting() const { return options_.interval.count() > 0 && options_.intervalOut; }
    Clock::time_point reportDue() const {
        return reporting() ? nextReport_ : Clock::time_point::max();
    }

    // Marks the scans that waited longer than the timeout, once each.
    void markLate(Clock::time_point now) {
        for (auto& t : terminals_)
            for (auto& p : t.pending)
                if (!p.late && now - p.sent > options_.timeout) {
                    p.late = true;
                    ++interval_.unanswered;
                }
    }

    void report() {
        const auto now = Clock::now();
        if (!reporting() || now < nextReport_)
            return;
        printInterval(now);
        while (nextReport_ <= now)
            nextReport_ += options_.interval;
    }

    // The last, shorter interval, when anything happened in it.
    void finalReport() {
        if (!reporting())
            return;
        // The run is over: what is still waiting stays unanswered.
        for (auto& t : terminals_)
            for (auto& p : t.pending)
                if (!p.late) {
                    p.late = true;
                    ++interval_.unanswered;
                }
        if (interval_.sent > 0 || interval_.unanswered > 0 || !interval_.latenciesMs.empty())
            printInterval(Clock::now());
    }

    void printInterval(Clock::time_point now) {
        markLate(now);
        long waitingNow = 0;
        for (const auto& t : terminals_)
            if (!t.gone)
                waitingNow += static_cast<long>(t.pending.size());
        const auto& i = interval_;
        std::fprintf(options_.intervalOut,
                     "interval t=%.0f connected=%zu sent=%ld answered=%ld found=%ld notfound=%ld "
                     "refused=%ld unanswered=%ld waiting=%ld latency_ms p50=%.3f p99=%.3f "
                     "max=%.3f\n",
                     std::chrono::duration<double>(now - scanStart_).count(),
                     terminals_.size() - goneCount(), i.sent, i.found + i.notFound, i.found,
                     i.notFound, i.refused, i.unanswered, waitingNow, percentile(i.latenciesMs, 50),
                     percentile(i.latenciesMs, 99), percentile(i.latenciesMs, 100));
        std::fflush(options_.intervalOut);
        interval_ = Interval{};
    }

    bool stopRequested() const { return options_.stop != nullptr && options_.stop->load(); }

    std::size_t greeted() const {
        return static_cast<std::size_t>(std::count_if(terminals_.begin(), terminals_.end(),
                                                      [](const Terminal& t) { return t.greeted; }));
    }
    std::size_t goneCount() const {
        return static_cast<std::size_t>(std::count_if(terminals_.begin(), terminals_.end(),
                                                      [](const Terminal& t) { return t.gone; }));
    }
    bool waiting() const {
        return std::any_of(terminals_.begin(), terminals_.end(),
                           [](const Terminal& t) { return !t.gone && !t.pending.empty(); });
    }

    Terminal* nextAlive(std::size_t& next) {
        for (std::size_t tries = 0; tries < terminals_.size(); ++tries) {
            Terminal& t = terminals_[next++ % terminals_.size()];
            if (!t.gone)
                return &t;
        }
        return nullptr;
    }

    void watchWrites(Terminal& t) {
        if (t.gone || t.link->wantsWrite() == t.watchingWrite)
            return;
        t.watchingWrite = t.link->wantsWrite();
        epoll_event ev{};
        ev.events = t.watchingWrite ? EPOLLIN | EPOLLOUT : EPOLLIN;
        ev.data.u64 = static_cast<std::uint64_t>(&t - terminals_.data());
        ::epoll_ctl(epoll_.get(), EPOLL_CTL_MOD, t.link->fd(), &ev);
    }

    void retire(Terminal& t) {
        if (t.gone)
            return;
        t.gone = true;
        for (const auto& p : t.pending)
            interval_.unanswered += p.late ? 0 : 1;
        ::epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, t.link->fd(), nullptr);
    }

    // Handles what arrives until `until`.
    void serve(Clock::time_point until) {
        std::array<epoll_event, 256> events{};
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
        const int n = ::epoll_wait(epoll_.get(), events.data(), static_cast<int>(events.size()),
                                   static_cast<int>(std::clamp<long long>(wait.count(), 0, 1000)));
        for (int i = 0; i < n; ++i) {
            Terminal& t = terminals_[events[i].data.u64];
            if (events[i].events & EPOLLOUT)
                t.link->flush();
            if (events[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR))
                t.link->pump();
            while (auto m = t.link->take())
                handle(t, *m);
            if (!t.link->open())
                retire(t);
            else
                watchWrites(t);
        }
    }

    void handle(Terminal& t, const protocol::Message& m) {
        const auto match = [&](const std::string& barcode) {
            return std::find_if(t.pending.begin(), t.pending.end(),
                                [&](const Pending& p) { return p.barcode == barcode; });
        };
        switch (m.kind) {
        case Kind::Hello:
            t.greeted = true;
            break;
        case Kind::Found:
        case Kind::NotFound:
            if (const auto it = match(m.barcode); it != t.pending.end()) {
                const double ms =
                    std::chrono::duration<double, std::milli>(Clock::now() - it->sent).count();
                report_.latenciesMs.push_back(ms);
                interval_.latenciesMs.push_back(ms);
                ++(m.kind == Kind::Found ? report_.found : report_.notFound);
                ++(m.kind == Kind::Found ? interval_.found : interval_.notFound);
                t.pending.erase(it);
            }
            break;
        case Kind::Busy:
            if (const auto it = match(m.barcode); it != t.pending.end()) {
                ++report_.refused;
                ++interval_.refused;
                t.pending.erase(it);
            }
            break;
        case Kind::Error:
            ++report_.refused;
            ++interval_.refused;
            if (!t.pending.empty())
                t.pending.pop_front();
            break;
        default:
            break;
        }
    }

    const LoadOptions& options_;
    LoadReport& report_;
    UniqueFd epoll_;
    std::vector<Terminal> terminals_;
    Interval interval_;
    Clock::time_point scanStart_;
    Clock::time_point nextReport_ = Clock::time_point::max();
};

} // namespace

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank =
        static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

double LoadReport::percentile(double p) const {
    return vorn::tools::percentile(latenciesMs, p);
}

std::variant<LoadReport, std::string> runLoad(const LoadOptions& options) {
    LoadReport report;
    report.terminals = options.terminals;
    Load load(options, report);
    if (auto error = load.connectAll(); !error.empty())
        return error;
    load.scan();
    load.drain();
    return report;
}

void printReport(std::FILE* out, const LoadReport& r) {
    std::fprintf(out,
                 "terminals %u\nconnected %u\nsent %ld\nanswered %ld\nfound %ld\nnotfound %ld\n"
                 "refused %ld\nunanswered %ld\n"
                 "latency_ms p50=%.3f p90=%.3f p99=%.3f max=%.3f\n",
                 r.terminals, r.connected, r.sent, r.answered(), r.found, r.notFound, r.refused,
                 r.unanswered(), r.percentile(50), r.percentile(90), r.percentile(99),
                 r.percentile(100));
}

} // namespace vorn::tools
