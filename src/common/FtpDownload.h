#pragma once

// Downloads one file by FTP with libcurl. The user name and password are handed to curl as
// options, never written into the address. The file arrives beside its final name and takes that
// name only once complete, so an existing destination always holds a whole file.

#include <QString>
#include <cstdint>

namespace vorn::common {

struct PedidoFTP {
    QString host;             // name or address; "host:port" or "[v6]:port" overrides the port
    std::uint16_t porta = 21; // used when the host names none
    QString usuario;
    QString senha;
    QString arquivoRemoto; // path on the server, relative to the login folder
};

// Downloads `pedido.arquivoRemoto` into `destino`, replacing it. Throws std::runtime_error naming
// the remote file and the reason when the transfer fails (no connection, login refused, file
// missing, destination not writable); the destination is then left as it was.
void baixaArquivoFTP(const PedidoFTP& pedido, const QString& destino);

} // namespace vorn::common
