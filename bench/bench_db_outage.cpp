// A database server that stops answering during a price reload: how long the reload is held (the
// terminals wait that long, since the window answers them on the same thread), and how long the
// first reload takes once the server answers again.
//
// A private Firebird instance is frozen with SIGSTOP after the connection was closed (as the
// price cache closes it after each load), a reload is attempted and timed until it fails, the
// server is thawed with SIGCONT and the next reload is timed until it succeeds. Each round uses a
// fresh attach, as the server's own reloads do.
//
//   bench_db_outage [--dir DIR] [--rounds N] [--timeout SECONDS]
//
// DIR (default /tmp/vorn-bench-outage) holds the instance, started and stopped here with
// scripts/firebird. --timeout sets the connection's LoginTimeout (default: the connection's own).

#include "catalogue/PriceCache.h"
#include "data/Connection.h"
#include "data/MemTable.h"
#include "data/Query.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <vector>

using namespace vorn;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kScript = std::string(VORN_SOURCE_DIR) + "/scripts/firebird";

void run(const std::string& command) {
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

std::string output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            text += buffer;
        pclose(pipe);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    std::string dir = "/tmp/vorn-bench-outage";
    int rounds = 5;
    std::string timeout;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--dir")
            dir = argv[i + 1];
        else if (option == "--rounds")
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--timeout")
            timeout = argv[i + 1];
    }
    pid_t server = 0;
    try {
        std::filesystem::create_directories(dir);
        run("'" + kScript + "' start '" + dir + "' >/dev/null");
        const std::string database = dir + "/outage.fdb";
        if (!std::filesystem::exists(database))
            run("'" + kScript + "' create-db '" + dir + "' '" + database + "' fixture >/dev/null");
        const int port = std::stoi(output("'" + kScript + "' port '" + dir + "'"));
        std::ifstream pidFile(dir + "/server.pid");
        pidFile >> server;
        if (server <= 0)
            throw std::runtime_error("no server.pid in " + dir);

        data::Connection connection;
        connection.setParam(QStringLiteral("CharacterSet"), QStringLiteral("WIN1252"));
        connection.setParam(QStringLiteral("USER_NAME"), QStringLiteral("VORNMASTER"));
        connection.setParam(QStringLiteral("PASSWORD"), QStringLiteral("x47#q802"));
        connection.setParam(QStringLiteral("SERVER"), QStringLiteral("127.0.0.1"));
        connection.setParam(QStringLiteral("PORT"), QString::number(port));
        connection.setParam(QStringLiteral("PROTOCOL"), QStringLiteral("ipTCPIP"));
        connection.setParam(QStringLiteral("DATABASE"), QString::fromStdString(database));
        if (!timeout.empty())
            connection.setParam(QStringLiteral("LoginTimeout"), QString::fromStdString(timeout));
        connection.setAutoReconnect(true);
        data::Query query(connection);
        data::MemTable cache;
        catalogue::CarregaPrecos(connection, query, cache, 1, 2); // warm, and closes

        std::vector<double> held;
        std::vector<double> back;
        for (int round = 0; round < rounds; ++round) {
            ::kill(server, SIGSTOP);
            auto start = Clock::now();
            std::string error;
            try {
                catalogue::CarregaPrecos(connection, query, cache, 1, 2);
            } catch (const std::exception& e) {
                error = e.what();
            }
            held.push_back(seconds(Clock::now() - start));
            ::kill(server, SIGCONT);
            start = Clock::now();
            // The first reload after the thaw; a failure here is retried, as the next trigger
            // of the server would.
            for (;;) {
                try {
                    catalogue::CarregaPrecos(connection, query, cache, 1, 2);
                    break;
                } catch (const std::exception&) {
                    if (Clock::now() - start > std::chrono::minutes(5))
                        throw;
                }
            }
            back.push_back(seconds(Clock::now() - start));
            std::printf("round %d: reload held %.2f s (%s), first reload after the thaw %.3f s, "
                        "%d products\n",
                        round + 1, held.back(), error.empty() ? "no error" : "failed", back.back(),
                        cache.recordCount());
        }
        std::printf("median over %d rounds: held %.2f s, back %.3f s (LoginTimeout %s)\n", rounds,
                    median(held), median(back), timeout.empty() ? "default" : timeout.c_str());
        run("'" + kScript + "' stop '" + dir + "' >/dev/null");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_db_outage: %s\n", e.what());
        if (server > 0)
            ::kill(server, SIGCONT);
        std::system(("'" + kScript + "' stop '" + dir + "' >/dev/null 2>&1").c_str());
        return 1;
    }
    return 0;
}
