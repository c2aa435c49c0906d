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
    // Every `interval` (0: never) one "interval" line about that interval goes to `intervalOut`.
    std::chrono::milliseconds interval{0};
    std::FILE* intervalOut = nullptr;
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

// The p-th percentile (0 to 100) of the values, nearest rank; 0 when there are none.
double percentile(std::vector<double> values, double p);

// Runs the load; an error text when not one terminal could connect. With an interval, prints
// during the run, for each interval:
//   interval t=<seconds since the scanning began> connected=<terminals still connected>
//   sent=.. answered=.. found=.. notfound=.. refused=.. unanswered=.. waiting=..
//   latency_ms p50=.. p99=.. max=..   (all on one line)
// answered, found, notfound and the latencies count the answers that arrived in the interval;
// unanswered the scans that passed the timeout without an answer in it (or whose terminal was
// dropped with them); waiting the scans sent and not answered yet at its end. The last line
// counts every scan still waiting at the end as unanswered, so the lines add up to the totals.
std::variant<LoadReport, std::string> runLoad(const LoadOptions& options);

// "key value" lines: terminals, connected, sent, answered, found, notfound, refused,
// unanswered, and "latency_ms p50=.. p90=.. p99=.. max=..".
void printReport(std::FILE* out, const LoadReport& report);

} // namespace vorn::tools
