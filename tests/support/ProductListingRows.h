#pragma once

// A memory table of the product listing's columns (price, code, description, barcode) with six
// rows that the filter tests need: accents, a quote, a NULL code and barcode, "%" and "_" in the
// data, and a barcode with letters.

#include "data/MemTable.h"
#include "platform/Codepage.h"
#include "support/VectorSource.h"

#include <string>
#include <vector>

namespace vorn::test {

// Text as the table keeps it: Windows-1252 bytes of the UTF-8 given.
inline data::Value ansiText(const std::string& utf8) {
    return platform::utf8ToAnsi(utf8);
}

// The text, or NULL for nullptr.
inline data::Value ansiTextOrNull(const char* utf8) {
    return utf8 != nullptr ? ansiText(utf8) : data::Value{};
}

inline std::vector<data::FieldDef> listingDefs() {
    using data::FieldType;
    return {{"PRECO", FieldType::Currency, 0},
            {"COD_ALFA", FieldType::Text, 20},
            {"DESCRICAO", FieldType::Text, 60},
            {"CODIGOBARRAS", FieldType::Text, 20}};
}

inline data::MemTable productListing() {
    struct Row {
        std::int64_t preco;
        const char* cod;
        const char* descr;
        const char* barras;
    };
    const std::vector<Row> rows = {
        {54900, "ARZ01", "Arroz Tipo 1 5kg", "7891234560012"},
        {31000, "FEI02", "Feijão carioca", "7890000000022"},
        {49900, "ACU03", "Açúcar cristal", "7891111111113"},
        {20000, "AGU04", "Copo d'água", "ARROZ-789"},
        {10000, nullptr, "arroz doce", nullptr},
        {70000, "ZZ_1", "Pão 100%", "0000"},
    };
    std::vector<std::vector<data::Value>> values;
    for (const Row& r : rows)
        values.push_back({data::Currency{r.preco}, ansiTextOrNull(r.cod), ansiTextOrNull(r.descr),
                          ansiTextOrNull(r.barras)});
    data::testing::VectorSource source(listingDefs(), values);
    data::MemTable t;
    t.copyFrom(source);
    return t;
}

} // namespace vorn::test
