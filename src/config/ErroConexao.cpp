#include "config/ErroConexao.h"

namespace vorn::config {

QString TextoErroConexao(const data::Connection& conexao, const QString& arquivoConexao,
                         const QString& textoServidor) {
    return QStringLiteral("Não foi possível conectar ao banco de dados: servidor ") +
           conexao.param(QStringLiteral("SERVER")) + QStringLiteral(", porta ") +
           conexao.param(QStringLiteral("PORT")) + QStringLiteral(", banco ") +
           conexao.param(QStringLiteral("DATABASE")) +
           QStringLiteral(". Esses dados vêm do arquivo ") + arquivoConexao +
           QStringLiteral(" (Server, Porta, TipoCon, PathServer, UserMulti). Resposta do "
                          "servidor: ") +
           textoServidor;
}

} // namespace vorn::config
