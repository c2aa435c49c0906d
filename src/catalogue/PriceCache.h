#pragma once

// The price cache that answers the terminals: every sellable product of one branch and price
// table that has a barcode, with its description, sales unit and price, loaded with one query.

#include "data/Connection.h"
#include "data/MemTable.h"
#include "data/Query.h"

#include <cstdint>
#include <string>

namespace vorn::catalogue {

// The cache's query for a branch and price table: active products with a non-empty barcode and
// a price row of product type 'P' in an active table of that branch and code.
std::string SqlCarregaPrecos(std::int32_t codFilial, std::int32_t codTabelaPrecos);

// Runs the query on `query`, copies every row into `cache` (its structure recreated from the
// result, whatever it held dropped) and closes the connection. When the query fails, the error
// goes to the caller and the former cache stays whole.
void CarregaPrecos(data::Connection& connection, data::Query& query, data::MemTable& cache,
                   std::int32_t codFilial, std::int32_t codTabelaPrecos);

} // namespace vorn::catalogue
