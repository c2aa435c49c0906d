#include "catalogue/PriceCache.h"

#include "data/AbreConsulta.h"

namespace vorn::catalogue {

std::string SqlCarregaPrecos(std::int32_t codFilial, std::int32_t codTabelaPrecos) {
    return "SELECT PR.PRECO, P.DESCRICAO DESCR_PRODUTO, P.CODIGOBARRAS, P.UN_VENDAS "
           "FROM PRECOS_PROD_SERV PR JOIN PRODUTOS P ON P.CODIGO=PR.PRODUTO "
           "JOIN TABS_PRECOS_PROD_SERV T ON (T.CODIGO=PR.TABELA AND T.FILIAL=PR.FILIAL) "
           "WHERE PR.TIPOPRODUTO='P' AND P.ATIVO='S' AND T.ATIVO='S' AND T.CODIGO=" +
           std::to_string(codTabelaPrecos) + " AND T.FILIAL=" + std::to_string(codFilial) +
           " AND P.CODIGOBARRAS<>'' AND P.CODIGOBARRAS IS NOT NULL";
}

void CarregaPrecos(data::Connection& connection, data::Query& query, data::MemTable& cache,
                   std::int32_t codFilial, std::int32_t codTabelaPrecos) {
    data::AbreConsulta(query, SqlCarregaPrecos(codFilial, codTabelaPrecos));
    cache.copyFrom(query);
    connection.close();
    // The first search of a field builds its index: do it now, while the load holds the
    // answering back anyway, rather than in the first scan after the load.
    (void)cache.find(cache.indexOf("CODIGOBARRAS"), data::Value(std::string()));
}

} // namespace vorn::catalogue
