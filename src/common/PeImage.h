#pragma once

// Reads the Machine field of a Windows PE image's file header: "MZ" at the start, the offset of
// the PE header at 0x3C, "PE\0\0" there, and the 16-bit Machine value right after it.

#include <QString>
#include <cstdint>

namespace vorn::common {

inline constexpr std::uint16_t kMaquinaX64 = 0x8664;

// Throws std::runtime_error naming the file when it cannot be read or is not a PE image.
std::uint16_t maquinaImagemPE(const QString& arquivo);

} // namespace vorn::common
