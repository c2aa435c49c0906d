#pragma once

// The operator's product listing: the active products of one branch and price table (with or
// without a barcode), filtered in memory as the operator types.

#include <QString>
#include <cstdint>
#include <string>

namespace vorn::catalogue {

// The listing's query, ordered by description.
std::string SqlListagemProdutos(std::int32_t codFilial, std::int32_t codTabelaPrecos);

// The filter for the text typed into the filter field: code or description containing it in
// any case, or a barcode containing it as stored. A quote in the text is a quote to look for;
// % and _ stay the wildcards of LIKE.
QString FiltroListagemProdutos(const QString& digitado);

} // namespace vorn::catalogue
