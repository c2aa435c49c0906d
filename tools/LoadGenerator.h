#pragma once

// Many simulated terminals at once: a total scan rate spread over them for a while, answers
// matched to their scans, latency measured from each send to its answer.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

namespace vorn::tools {

struct LoadOptions {
    std::string host = "127.0.0.1";
    std::uint16_t port = 6500;
    unsigned terminals = 1;
    double rate = 10;     // scans per second, all terminals together; 0 = only stay connected
    double duration = 10; // seconds of scanning
    std::vector<std::string> barcodes;       // Windows-1252, used in turn
    std::chrono::milliseconds timeout{2000}; // for connecting and for the last answers
    const std::atomic<bool>* stop = nullptr; // ends the scanning early when set
};

struct LoadReport {
    unsigned terminals = 0;
    unsigned connected = 0;
    long sent = 0;
    long found = 0;
    long notFound = 0;
    long refused = 0;                // BUSY or ERR
    std::vector<double> latenciesMs; // one per answered scan

    long answered() const { return found + notFound; }
    long unanswered() const { return sent - answered(); }
    // The p-th percentile (0 to 100) of the latencies, nearest rank; 0 when there are none.
    double percentile(double p) const;
};

// Runs the load; an error text when not one terminal could connect.
std::variant<LoadReport, std::string> runLoad(const LoadOptions& options);

// "key value" lines: terminals, connected, sent, answered, found, notfound, refused,
// unanswered, and "latency_ms p50=.. p90=.. p99=.. max=..".
void printReport(std::FILE* out, const LoadReport& report);

} // namespace vorn::tools
