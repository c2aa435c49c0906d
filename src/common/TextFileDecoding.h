#pragma once

// The text of a whole text file: a byte-order mark selects UTF-8, UTF-16 little-endian or UTF-16
// big-endian and is dropped; without a mark the bytes are UTF-8 when they are valid UTF-8, and
// otherwise Windows-1252 (the program's 8-bit code page).

#include <QByteArray>
#include <QString>

namespace vorn::common {

QString decodificaTexto(const QByteArray& bytes);

} // namespace vorn::common
