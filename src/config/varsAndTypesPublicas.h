#pragma once

// Shared types of the connection settings (unit varsAndTypes.publicas).

#include <QString>
#include <cstdint>

namespace vorn::config {

// The connection kind, which decides where the database file lives (see CaminhoBanco).
enum TFormaConexao : std::uint8_t {
    fcNull = 0,                   // kind not established: the program cannot start
    fcServidor = 1,               // this machine is the database server
    fcEstLocal = 2,               // workstation, local server FServer
    fcEstWeb = 3,                 // workstation, remote (web) server FServer
    fcServidorMulti = 4,          // this machine is the server; one database per UserMulti code
    fcEstWebMulti = 5,            // workstation, remote server; one database per UserMulti code
    fcEstComServerLinuxMulti = 6, // workstation whose server runs Linux; one database per code
    fcEstLocalMulti = 7,          // workstation, local server; one database per UserMulti code
};

// The connection settings read from Conexao.ini (user and password are fixed).
class TVarConexao {
public:
    QString FServer;     // host name or address of the database server
    QString FUserMulti;  // subfolder of the database under Dados in the Multi kinds: digits only
    QString FUserFB;     // database user
    QString FPassUserFB; // database password
    QString FPathServer; // folder of the retail system as the database server sees it
    std::int32_t FPorta = 0;
    TFormaConexao FTipoCon = fcNull;
};

} // namespace vorn::config
