// Benchmark of the terminal library: a loop standing in for the server (poll and answer at once)
// against the load generator, for 1, 100 and 1000 connected terminals; then the cost of the
// server's once-a-second refresh with 1000 terminals (GetTabConectados, then TCinet_ntoa and
// bEnviaVivo for every occupied slot). Prints medians over several runs.
//   bench_terminal [--runs N] [--rate SCANS_PER_SECOND] [--duration SECONDS]

#include "LoadGenerator.h"
#include "terminal/sc501ger.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::uint16_t freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) != 0)
        throw std::runtime_error("no free port");
    ::close(fd);
    return ntohs(addr.sin_port);
}

// The library's settings in a temporary folder of the benchmark's own.
class Settings {
public:
    Settings() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vorn-bench-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        dir_ = pattern;
        port_ = freePort();
        std::ofstream(dir_ / "sc501ger.ini")
            << "[Servidor]\nEndereco=127.0.0.1\nPorta=" << port_
            << "\nTempoVivo=30\nMaxTerminaisPorEndereco=1024\n"; // the load shares one address
        ::setenv("VORN_SC501GER_INI", (dir_ / "sc501ger.ini").c_str(), 1);
    }
    ~Settings() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::uint16_t port() const { return port_; }

private:
    std::filesystem::path dir_;
    std::uint16_t port_ = 0;
};

// The server's poll loop without its 10 ms tick: take a barcode and answer it at once; when
// none waits, sleep 50 us.
class AnsweringLoop {
public:
    AnsweringLoop() : thread_([this] { run(); }) {}
    ~AnsweringLoop() {
        stop_ = true;
        thread_.join();
    }

private:
    void run() {
        std::int32_t id = 0;
        std::int32_t port = 6500;
        std::int32_t length = 0;
        char buffer[1024];
        char description[101] = "ARROZ TIPO 1 5KG";
        char price[101] = "R$ 25,90";
        while (!stop_) {
            if (bReceiveBarcode(&id, &port, buffer, &length) && length > 0) {
                if (std::strcmp(buffer, "7891000100103") == 0)
                    bSendProdPrice(id, description, price);
                else
                    bSendProdNotFound(id);
            } else {
                std::this_thread::sleep_for(50us);
            }
        }
    }

    std::atomic<bool> stop_{false};
    std::thread thread_;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

bool startLibrary() {
    vInitialize();
    return tc_startserver() == 1;
}

void roundTrips(const Settings& settings, int runs, double rate, double duration) {
    std::printf("Round trip, scan to answer (%g scans/s in total, %g s per run, median of %d "
                "runs)\n",
                rate, duration, runs);
    std::printf("%10s %10s %10s %10s %10s %12s %8s\n", "terminals", "p50 ms", "p99 ms", "max ms",
                "answered", "unanswered", "busy");
    for (const unsigned terminals : {1u, 100u, 1000u}) {
        std::vector<double> p50, p99, max, answered, unanswered, busy;
        for (int run = 0; run < runs; ++run) {
            if (!startLibrary())
                throw std::runtime_error("the library does not start");
            vorn::tools::LoadOptions options;
            options.port = settings.port();
            options.terminals = terminals;
            options.rate = rate;
            options.duration = duration;
            options.barcodes = {"7891000100103", "0000000000000"};
            std::variant<vorn::tools::LoadReport, std::string> result;
            {
                AnsweringLoop loop;
                result = vorn::tools::runLoad(options);
            }
            vInitialize();
            if (auto* error = std::get_if<std::string>(&result))
                throw std::runtime_error(*error);
            const auto& r = std::get<vorn::tools::LoadReport>(result);
            p50.push_back(r.percentile(50));
            p99.push_back(r.percentile(99));
            max.push_back(r.percentile(100));
            answered.push_back(static_cast<double>(r.answered()));
            unanswered.push_back(static_cast<double>(r.unanswered()));
            busy.push_back(static_cast<double>(r.refused));
        }
        std::printf("%10u %10.3f %10.3f %10.3f %10.0f %12.0f %8.0f\n", terminals, median(p50),
                    median(p99), median(max), median(answered), median(unanswered), median(busy));
    }
}

void refreshCost(const Settings& settings, int runs) {
    constexpr int kRefreshes = 200;
    std::vector<double> medians, p99s;
    for (int run = 0; run < runs; ++run) {
        if (!startLibrary())
            throw std::runtime_error("the library does not start");
        std::atomic<bool> stop{false};
        vorn::tools::LoadOptions options;
        options.port = settings.port();
        options.terminals = 1000;
        options.rate = 0; // connected and answering keep-alives only
        options.duration = 3600;
        options.stop = &stop;
        std::thread terminals([&] { vorn::tools::runLoad(options); });

        TTABSOCK table;
        const auto deadline = Clock::now() + 30s;
        while (GetTabConectados(&table, 1) < 1000 && Clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        std::vector<double> micros;
        for (int i = 0; i < kRefreshes && table.NumSockConec == 1000; ++i) {
            const auto start = Clock::now();
            GetTabConectados(&table, 1);
            int found = 0;
            for (int slot = 0; slot < SC501GER_MAX_TERMINALS && found < table.NumSockConec;
                 ++slot) {
                if (table.TabSock[slot] == 0)
                    continue;
                ++found;
                char ip[21];
                TCinet_ntoa(table.TabUID[slot], ip);
                bEnviaVivo(table.TabSock[slot]);
            }
            micros.push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - start).count());
            std::this_thread::sleep_for(10ms);
        }
        stop = true;
        terminals.join();
        vInitialize();
        if (micros.size() != kRefreshes)
            throw std::runtime_error("the 1000 terminals did not stay connected");
        medians.push_back(median(micros));
        std::sort(micros.begin(), micros.end());
        p99s.push_back(micros[micros.size() * 99 / 100]);
    }
    std::printf("\nOne refresh with 1000 terminals (GetTabConectados + 1000 x TCinet_ntoa and "
                "bEnviaVivo; %d refreshes per run, median of %d runs)\n",
                kRefreshes, runs);
    std::printf("  median %.1f us, p99 %.1f us\n", median(medians), median(p99s));
}

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    double rate = 1000;
    double duration = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (name == "--rate")
            rate = std::atof(argv[i + 1]);
        else if (name == "--duration")
            duration = std::atof(argv[i + 1]);
    }
    try {
        Settings settings;
        roundTrips(settings, runs, rate, duration);
        refreshCost(settings, runs);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_terminal: %s\n", e.what());
        vInitialize();
        return 1;
    }
    return 0;
}
