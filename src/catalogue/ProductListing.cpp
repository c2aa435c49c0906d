#include "catalogue/ProductListing.h"

namespace vorn::catalogue {

std::string SqlListagemProdutos(std::int32_t codFilial, std::int32_t codTabelaPrecos) {
    return "SELECT PR.PRECO, P.COD_ALFA, P.DESCRICAO, P.CODIGOBARRAS FROM PRECOS_PROD_SERV PR "
           "JOIN PRODUTOS P ON P.CODIGO=PR.PRODUTO JOIN TABS_PRECOS_PROD_SERV T ON "
           "(T.CODIGO=PR.TABELA AND T.FILIAL=PR.FILIAL) WHERE PR.TIPOPRODUTO='P' AND "
           "P.ATIVO='S' AND T.ATIVO='S' AND T.CODIGO=" +
           std::to_string(codTabelaPrecos) + " AND T.FILIAL=" + std::to_string(codFilial) +
           " ORDER BY DESCRICAO";
}

QString FiltroListagemProdutos(const QString& digitado) {
    QString t = digitado;
    t.replace(u'\'', QStringLiteral("''"));
    return QStringLiteral("(UPPER(COD_ALFA) LIKE '%") + t +
           QStringLiteral("%') OR (UPPER(DESCRICAO) LIKE '%") + t +
           QStringLiteral("%') OR (CODIGOBARRAS LIKE '%") + t + QStringLiteral("%')");
}

} // namespace vorn::catalogue
