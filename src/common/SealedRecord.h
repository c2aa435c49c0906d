#pragma once

// The sealed branch/price-table record of ZedorErurav.ini ([Config] Dados). Its plain text is
// 15 digits: five random digits, the branch code in 3 digits, the price-table code in 3 digits
// and the price-table code again in 4 digits. Only the branch and the 3-digit table code are
// read back. Codes therefore go from 1 to 999.

#include <QString>
#include <cstdint>

namespace vorn::common {

// The plain record for a branch and price table (codes above 999 do not fit: the caller
// refuses them before sealing).
QString MontaRegistroFilialTabela(std::int32_t codFilial, std::int32_t codTabela);

// The sealed text (upper-case hex) of the plain record, with the fixed IV and key.
QString SelaRegistro(const QString& plain);
// The plain text of a sealed record; empty when it does not unseal.
QString AbreRegistro(const QString& sealed);

// Characters 6 to 8 and 9 to 11 of the plain text as integers; 0 where they do not read as one.
struct CodigosFilialTabela {
    std::int32_t filial = 0;
    std::int32_t tabela = 0;
};
CodigosFilialTabela LeCodigosRegistro(const QString& plain);

} // namespace vorn::common
