#pragma once

// The text handling on the road of a scanned barcode: cleaning what the terminal sent, and
// filling the fixed reply buffers that the terminal library takes.

#include <QString>
#include <string>
#include <string_view>

namespace vorn::app {

// Removes every CR and LF wherever they stand, then every character of code 32 or below
// (blanks and control characters) from both ends. Inner characters stay as they are.
std::string NormalizaCodigoBarras(std::string_view text);

// Zero-fills maximo + 1 bytes of `buffer`, then copies the first min(length, maximo) bytes of
// `text` in Windows-1252. The buffer is therefore always zero-terminated.
void PreencheBuffer(const QString& text, char* buffer, int maximo);

} // namespace vorn::app
