#pragma once

// The text of a failed connection to the database, for the technician: what was tried (host,
// port, database file), that Conexao.ini decides it, then the server's own text.

#include "data/Connection.h"

#include <QString>

namespace vorn::config {

// `arquivoConexao`: the full path of the Conexao.ini the settings came from; `textoServidor`: the
// text of the server or client library.
QString TextoErroConexao(const data::Connection& conexao, const QString& arquivoConexao,
                         const QString& textoServidor);

} // namespace vorn::config
