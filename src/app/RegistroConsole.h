#pragma once

// The headless server's view of its activity: with no display in use, each activity-log row and
// each change of what the server serves also goes to standard output as one line, so the journal
// of a service shows what the window would. Nothing is written to files.

#include <QDateTime>
#include <QString>

namespace vorn::app {

// One line: the date and time (yyyy-MM-dd HH:mm:ss), the origin ("-" when the row has none) and
// the text, separated by blanks. Line breaks and other control characters in the origin or the
// text become blanks, so a row is always exactly one line.
QString LinhaConsole(const QDateTime& quando, const QString& origem, const QString& texto);

// What the server serves, or why it does not.
struct EstadoServidor {
    bool servindo = false;
    QString filial;   // "1 - MATRIZ"
    QString tabela;   // "2 - VAREJO"
    int produtos = 0; // rows of the price cache
    int porta = 0;    // the terminal port (0: unknown)
    QString endereco; // the address the terminal port listens on
    QString motivo;   // why terminals are not answered (when not serving)
};

// The text of the state line: "Servindo filial ..., tabela ..., N produtos em cache, terminais
// na porta P (endereço A)" or "Terminais sem atendimento: <motivo>".
QString TextoEstado(const EstadoServidor& estado);

// Writes the line and a line feed to standard output (UTF-8) and flushes it at once: a service's
// journal shows it when it happens.
void EscreveLinhaConsole(const QString& linha);

} // namespace vorn::app
