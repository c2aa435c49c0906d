#pragma once

// Where the terminal library listens, read from its own settings file with its own reader, so the
// operator sees the port the terminals must use (the file can move it off 6500) and, when the
// service does not start, the best reason the program can give.
//
// The library's C interface says only whether tc_startserver started; its exact reason (the
// system's error for the listening socket) goes to standard error. From the settings the program
// knows whether the file itself was refused and, when it was not, which address and port could
// not be taken.

#include <QString>

namespace vorn::app {

struct PortaTerminais {
    bool lida = false; // false: the settings file could not be used (see erro)
    int porta = 0;
    QString endereco;
    QString erro; // the library's own text when the file could not be used
};

// The settings the library reads at its next (or read at its last) tc_startserver.
PortaTerminais LePortaTerminais();

// Why tc_startserver failed, in Portuguese, as far as the settings tell.
QString MotivoFalhaTerminais(const PortaTerminais& porta);

} // namespace vorn::app
