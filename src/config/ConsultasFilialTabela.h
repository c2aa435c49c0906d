#pragma once

// The queries of the branch and price-table settings: the branch's short name, its standard or
// chosen price table, the tables an administrator may choose and the branch's administrators.
// Codes are numbers the caller has already confirmed, so they go into the text as digits only.

#include <cstdint>
#include <string>

namespace vorn::config {

// The file beside the program that keeps the sealed branch/price-table record ([Config] Dados)
// and the sales-unit switch ([Config] IncluiUnVenda).
inline constexpr char kArquivoConfiguracoes[] = "ZedorErurav.ini";

// NOME_CURTO of the branch.
std::string SqlNomeFilial(std::int32_t codFilial);
// CODIGO and DESCRICAO of the branch's standard price table (TABPADRAO 'S').
std::string SqlTabelaPadrao(std::int32_t codFilial);
// DESCRICAO of one price table of the branch.
std::string SqlDescricaoTabela(std::int32_t codFilial, std::int32_t codTabela);
// CODIGO and DESCRICAO of the branch's active sales tables (every table but code 1), by code.
std::string SqlTabelasDeVenda(std::int32_t codFilial);
// ADMINISTRADOR and PASS of the branch's active users.
std::string SqlUsuariosAtivos(std::int32_t codFilial);

} // namespace vorn::config
