#pragma once

// One simulated terminal: connects, scans barcodes one after the other and prints each answer as
// one UTF-8 line, answering keep-alives all the while.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace vorn::tools {

struct SimulatorOptions {
    std::string host = "127.0.0.1";
    std::uint16_t port = 6500;
    std::chrono::milliseconds timeout{2000}; // for the connection and for each answer
};

inline constexpr int kAllAnswered = 0;
inline constexpr int kSomeUnanswered = 1;
inline constexpr int kCannotConnect = 2;

// Scans `barcodes` (UTF-8), or each line of `inputFd` when `barcodes` is empty, and prints
// "<barcode>\tFOUND\t<description>\t<price>", "<barcode>\tNOTFOUND" or "<barcode>\tNOANSWER"
// per barcode on `out`; why a barcode went unanswered goes to `err`. Returns the exit status.
int runSimulator(const SimulatorOptions& options, const std::vector<std::string>& barcodes,
                 int inputFd, std::FILE* out, std::FILE* err);

} // namespace vorn::tools
