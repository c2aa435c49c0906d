#pragma once

#include <cstdint>

namespace vorn::test {

// A TCP port on 127.0.0.1 that was free a moment ago (the kernel picks it). Tests use it for
// the servers they start, so parallel runs never share a port.
std::uint16_t freeTcpPort();

} // namespace vorn::test
