#pragma once

// Letter case and reading order of Windows-1252 text (the program's 8-bit code page, see
// Codepage.h), byte for byte, from tables derived once from Unicode.

#include <array>
#include <string>
#include <string_view>

namespace vorn::platform {

// Upper case: a byte whose Unicode upper case exists in the code page maps to it (a -> A,
// ç -> Ç, š -> Š, œ -> Œ, ÿ -> Ÿ); the others (ß, µ, digits, signs) stay as they are.
unsigned char upperAnsi(unsigned char byte);
std::string upperAnsi(std::string_view text);
// The same as a table indexed by byte, for loops over many texts.
const std::array<unsigned char, 256>& upperAnsiTable();

// Sort weight of each byte: a letter weighs as its upper-case base letter (a, á, Á weigh as A;
// ç as C); another character as its upper case when the code page has one, else as itself.
const std::array<unsigned char, 256>& collationWeights();

// Reading order of two texts: by the weights of their bytes, a shorter text before a longer
// one it starts, then byte by byte as a tie-break (so only equal texts compare equal).
// Negative, zero or positive.
int collateAnsi(std::string_view a, std::string_view b);

} // namespace vorn::platform
