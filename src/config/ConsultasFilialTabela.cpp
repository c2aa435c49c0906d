#include "config/ConsultasFilialTabela.h"

namespace vorn::config {

std::string SqlNomeFilial(std::int32_t codFilial) {
    return "SELECT NOME_CURTO FROM DIVERSOS WHERE FILIAL=" + std::to_string(codFilial);
}

std::string SqlTabelaPadrao(std::int32_t codFilial) {
    return "SELECT CODIGO, DESCRICAO FROM TABS_PRECOS_PROD_SERV WHERE FILIAL=" +
           std::to_string(codFilial) + " AND TABPADRAO='S'";
}

std::string SqlDescricaoTabela(std::int32_t codFilial, std::int32_t codTabela) {
    return "SELECT DESCRICAO FROM TABS_PRECOS_PROD_SERV WHERE FILIAL=" + std::to_string(codFilial) +
           " AND CODIGO=" + std::to_string(codTabela);
}

std::string SqlTabelasDeVenda(std::int32_t codFilial) {
    return "SELECT CODIGO, DESCRICAO FROM TABS_PRECOS_PROD_SERV WHERE FILIAL=" +
           std::to_string(codFilial) + " AND ATIVO='S' AND CODIGO <> 1 ORDER BY CODIGO";
}

std::string SqlUsuariosAtivos(std::int32_t codFilial) {
    return "SELECT ADMINISTRADOR, PASS FROM USUARIOS WHERE FILIAL=" + std::to_string(codFilial) +
           " AND ATIVO='S'";
}

} // namespace vorn::config
