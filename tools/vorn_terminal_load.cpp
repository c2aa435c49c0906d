// vorn-terminal-load: many simulated terminals scanning at a given total rate, with a latency
// report.

#include "CommandLine.h"
#include "LoadGenerator.h"
#include "platform/Codepage.h"

#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

constexpr const char* kUsage =
    "usage: vorn-terminal-load [--host HOST] [--port PORT] [--terminals N] [--rate SCANS]\n"
    "                          [--duration SECONDS] [--timeout SECONDS] [--interval SECONDS]\n"
    "                          (--barcodes FILE | BARCODE...)\n"
    "Connects N terminals (default 1) to the price server and scans SCANS barcodes a second\n"
    "(default 10) among them for SECONDS (default 10), using the barcodes (UTF-8, one per line\n"
    "of FILE) in turn. Waits up to --timeout (default 2 s) for the last answers, then prints\n"
    "sent, answered and unanswered counts and the latency's p50, p90, p99 and maximum.\n"
    "With --interval, also prints one \"interval\" line every SECONDS during the run: the\n"
    "scans sent, answered and gone unanswered (no answer within --timeout) in that interval,\n"
    "the terminals still connected and the interval's latency p50, p99 and maximum.\n"
    "Exit status: 0 every scan answered, 1 some were not, 2 no terminal connected or bad\n"
    "arguments.\n";

int fail(const std::string& message) {
    std::fprintf(stderr, "vorn-terminal-load: %s\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace vorn::tools;
    const auto cl = CommandLine::parse(
        argc, argv,
        {"host", "port", "terminals", "rate", "duration", "timeout", "interval", "barcodes"},
        {"help"});
    if (cl.has("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!cl.error.empty())
        return fail(cl.error + "\n" + kUsage);

    LoadOptions options;
    const auto get = [&](const char* name) { return cl.options.at(name); };
    if (cl.has("host"))
        options.host = get("host");
    if (cl.has("port")) {
        const auto port = parseCount(get("port"), 1, 65535);
        if (!port)
            return fail("--port must be 1 to 65535");
        options.port = static_cast<std::uint16_t>(*port);
    }
    if (cl.has("terminals")) {
        const auto n = parseCount(get("terminals"), 1, 100000);
        if (!n)
            return fail("--terminals must be 1 or more");
        options.terminals = static_cast<unsigned>(*n);
    }
    for (const auto* name : {"rate", "duration", "timeout", "interval"}) {
        if (!cl.has(name))
            continue;
        const auto value = parseSeconds(get(name));
        if (!value)
            return fail(std::string("--") + name + " must be a number of 0 or more");
        if (std::string(name) == "rate")
            options.rate = *value;
        else if (std::string(name) == "duration")
            options.duration = *value;
        else if (std::string(name) == "interval")
            options.interval = std::chrono::milliseconds(std::lround(*value * 1000));
        else
            options.timeout = std::chrono::milliseconds(std::lround(*value * 1000));
    }

    std::vector<std::string> barcodes = cl.positional;
    if (cl.has("barcodes")) {
        std::ifstream in(get("barcodes"));
        if (!in)
            return fail("cannot read " + get("barcodes"));
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                barcodes.push_back(line);
        }
    }
    if (barcodes.empty() && options.rate > 0)
        return fail("no barcodes to scan\n" + std::string(kUsage));
    for (const auto& b : barcodes)
        options.barcodes.push_back(vorn::platform::utf8ToAnsi(b));

    options.intervalOut = stdout;
    auto result = runLoad(options);
    if (const auto* error = std::get_if<std::string>(&result))
        return fail(*error);
    const auto& report = std::get<LoadReport>(result);
    printReport(stdout, report);
    return report.unanswered() == 0 ? 0 : 1;
}
