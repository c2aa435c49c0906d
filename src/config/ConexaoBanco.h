#pragma once

// Connection settings: reading Conexao.ini, the database path of each connection kind, the
// parameters of the program's database connection, and the texts that show the kind.

#include "config/varsAndTypesPublicas.h"
#include "data/Connection.h"

#include <QString>

namespace vorn::config {

// The ordinal's kind for codes 0 to 7; fcNull for any other code.
TFormaConexao CodigoParaFormaConexao(int VCodigo);

// Reads VPasta + VArquivo into VCon (sections Params, Outros, Firebird) and answers whether the
// settings are usable. When the kind cannot be established it shows the error box (MensagemErro)
// and answers false. For the server kinds (1 and 4) an address that is not a piece of
// "127.0.0.1" becomes 127.0.0.1 and is written back to the file; a failure of that write passes
// to the caller as a platform::ProfileError.
bool LeConexaoIni(TVarConexao& VCon, const QString& VPasta, const QString& VArquivo);

// The database file of the kind. The program folder VDirApp (ending in "/") is a local folder
// joined with "/" (kinds 1 and 4); FPathServer names a folder on a Windows server and keeps "\"
// (kinds 2, 3, 5, 7); kind 6 names a folder on a Linux server and uses "/". Empty for fcNull.
QString CaminhoBanco(const TVarConexao& VCon, const QString& VDirApp);

// The connection steps of the start-up: client library VDirApp + "libfbclient.so.2"; then, in
// this order, USER_NAME, PASSWORD, ROLE, automatic reconnection on, auto-commit off, read
// committed, SERVER, PORT, PROTOCOL and last DATABASE (not set for fcNull). These replace any
// value of the same name. The fixed parameters of the connection's design (DriverID FB,
// CharacterSet WIN1252, PageSize 8192) are set first where the connection lacks them. The
// connection stays closed.
void ConfiguraConexao(data::Connection& FDConexao, const TVarConexao& VCon, const QString& VDirApp);

// The text that shows the connection kind to the operator ("Servidor local", "Estação Local -
// Servidor: " + FServer, ...); empty for fcNull.
QString TextoTipoConexao(const TVarConexao& VCon);

} // namespace vorn::config
