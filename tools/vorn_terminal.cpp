// vorn-terminal: a price-check terminal simulator for technicians and tests.

#include "CommandLine.h"
#include "Simulator.h"

#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "usage: vorn-terminal [--host HOST] [--port PORT] [--timeout SECONDS] [BARCODE...]\n"
    "Connects to the price server as one terminal and scans each BARCODE, or each line of\n"
    "standard input when none is given. Prints one UTF-8 line per barcode:\n"
    "  <barcode>\\tFOUND\\t<description>\\t<price>\n"
    "  <barcode>\\tNOTFOUND\n"
    "  <barcode>\\tNOANSWER\n"
    "Control characters in the printed texts become spaces. Defaults: --host 127.0.0.1,\n"
    "--port 6500, --timeout 2 (seconds, for the connection and for each answer).\n"
    "Exit status: 0 every barcode answered, 1 one was not, 2 cannot connect or bad arguments.\n";

} // namespace

int main(int argc, char** argv) {
    using namespace vorn::tools;
    const auto cl = CommandLine::parse(argc, argv, {"host", "port", "timeout"}, {"help"});
    if (cl.has("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    SimulatorOptions options;
    std::string error = cl.error;
    if (error.empty() && cl.has("host"))
        options.host = cl.options.at("host");
    if (error.empty() && cl.has("port")) {
        const auto port = parseCount(cl.options.at("port"), 1, 65535);
        if (!port)
            error = "--port must be 1 to 65535";
        else
            options.port = static_cast<std::uint16_t>(*port);
    }
    if (error.empty() && cl.has("timeout")) {
        const auto seconds = parseSeconds(cl.options.at("timeout"));
        if (!seconds)
            error = "--timeout must be a number of seconds";
        else
            options.timeout = std::chrono::milliseconds(std::lround(*seconds * 1000));
    }
    if (!error.empty()) {
        std::fprintf(stderr, "vorn-terminal: %s\n%s", error.c_str(), kUsage);
        return kCannotConnect;
    }
    return runSimulator(options, cl.positional, STDIN_FILENO, stdout, stderr);
}
