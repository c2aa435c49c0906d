#pragma once

// File and folder utilities of the common units. Every operation is a class-level operation: it
// needs no instance and keeps no state between calls. Call on the user-interface thread.

#include <QString>

namespace vorn::common {

class TFuncDirArq {
public:
    TFuncDirArq() = delete;

    // Creates or replaces the file `VArq` with `VConteudo` followed by a line break (CR LF), in
    // the program's 8-bit code page (Windows-1252; characters it lacks become "?"). The new text
    // is written beside the file and then takes its name, so a failed write never leaves a
    // half-written file behind and never destroys the previous one. Returns true; an I/O error
    // (missing folder, no rights, disk full) throws std::runtime_error naming the file.
    static bool GravaArquivoTxt(const QString& VConteudo, const QString& VArq);
};

} // namespace vorn::common
