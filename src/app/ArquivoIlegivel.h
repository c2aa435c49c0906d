#pragma once

// Tells a settings file that is missing from one that is there but cannot be read. Reading a
// profile file never reports (an unreadable file reads like an empty one), yet for the sealed
// branch/table record the two mean different things: a missing file serves branch 1's default
// table, while an unreadable one must not silently serve another branch's prices.

#include <QString>

namespace vorn::app {

// Empty when the file can be read or does not exist at all; otherwise why it cannot be read, in
// Portuguese ("sem permissão de leitura", "é uma pasta", "laço de links simbólicos", ...). A
// symbolic link whose target is missing counts as unreadable: something was put there.
QString MotivoArquivoIlegivel(const QString& caminho);

} // namespace vorn::app
