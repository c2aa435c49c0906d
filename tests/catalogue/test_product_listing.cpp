// The product listing's filter, as FiltroListagemProdutos builds it from the typed text, run on a
// memory table of the listing's columns.

#include "catalogue/ProductListing.h"
#include "data/MemTable.h"
#include "platform/Codepage.h"
#include "support/ProductListingRows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vorn::data;
using vorn::catalogue::FiltroListagemProdutos;
using vorn::data::testing::VectorSource;
using vorn::test::listingDefs;
using vorn::test::productListing;

namespace {

Value text(const std::string& utf8) {
    return vorn::platform::utf8ToAnsi(utf8);
}

std::vector<std::string> descriptions(MemTable& t) {
    std::vector<std::string> out;
    for (t.first(); !t.eof(); t.next())
        out.push_back(t.asQString("DESCRICAO").toStdString());
    return out;
}

QString typed(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

TEST(ProductListingFilter, MatchesCodeDescriptionAndBarcodeAsTyped) {
    struct Case {
        const char* typed; // as the operator typed it (in capitals)
        std::vector<std::string> descriptions;
    };
    const std::vector<Case> cases = {
        // description in any case; a barcode that holds the text; a null code does not hide
        // a row whose description matches
        {"ARROZ", {"Arroz Tipo 1 5kg", "Copo d'água", "arroz doce"}},
        {"AÇÚ", {"Açúcar cristal"}}, // UPPER knows accented letters
        {"ÁGUA", {"Copo d'água"}},
        {"FEIJÃO", {"Feijão carioca"}},
        {"789", {"Arroz Tipo 1 5kg", "Feijão carioca", "Açúcar cristal", "Copo d'água"}},
        {"feijão", {}},                                  // LIKE is case-sensitive
        {"Z_1", {"Arroz Tipo 1 5kg", "Pão 100%"}},       // "_" stands for any one character
        {"0%2", {"Arroz Tipo 1 5kg", "Feijão carioca"}}, // "%" for any run
        {"XYZ", {}},
        // A quote is a character to look for, not the end of the text: neither an error nor a
        // way to write a condition of one's own.
        {"D'ÁGUA", {"Copo d'água"}},
        {"'", {"Copo d'água"}},
        {"' OR 'A' LIKE 'A", {}},
    };
    MemTable t = productListing();
    t.setFiltered(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        t.setFilter(FiltroListagemProdutos(typed(c.typed)));
        EXPECT_EQ(descriptions(t), c.descriptions);
        EXPECT_EQ(t.recordCount(), static_cast<int>(c.descriptions.size()));
    }
}

TEST(ProductListingFilter, IsSwitchedOnAndOffAsTheListingDoes) {
    MemTable t = productListing();
    const QString arroz = FiltroListagemProdutos(typed("ARROZ"));
    t.setFilter(arroz);
    EXPECT_EQ(t.recordCount(), 6); // text set, filter still off
    t.setFiltered(true);
    EXPECT_EQ(t.recordCount(), 3);
    EXPECT_EQ(t.recNo(), 1);

    t.setFiltered(false); // an empty filter field: off, then empty text
    t.setFilter("");
    EXPECT_EQ(t.recordCount(), 6);
    t.setFiltered(true); // on with no text: every row
    EXPECT_EQ(t.recordCount(), 6);

    t.setFilter(arroz);
    EXPECT_EQ(t.recordCount(), 3);
    t.append(); // a row that fails the filter is kept but not shown
    t.setValue("DESCRICAO", text("Sal"));
    t.post();
    EXPECT_EQ(t.recordCount(), 3);
    t.append();
    t.setValue("DESCRICAO", text("Arroz integral"));
    t.post();
    EXPECT_EQ(t.recordCount(), 4);
    EXPECT_EQ(t.asQString("DESCRICAO"), QStringLiteral("Arroz integral"));
    t.setFiltered(false);
    EXPECT_EQ(t.recordCount(), 8);
    EXPECT_EQ(t.filter(), vorn::platform::toAnsi(arroz).toStdString());
}

TEST(ProductListingFilter, OutlivesANewListingWhoseFieldsFitIt) {
    MemTable t = productListing();
    t.setFilter(FiltroListagemProdutos(typed("ARROZ")));
    t.setFiltered(true);

    VectorSource again(listingDefs(), {{Currency{1}, text("A1"), text("ARROZ NOVO"), text("1")},
                                       {Currency{2}, text("B2"), text("FEIJÃO"), text("2")}});
    t.copyFrom(again);
    EXPECT_EQ(descriptions(t), (std::vector<std::string>{"ARROZ NOVO"}));

    VectorSource cache({{"PRECO", FieldType::Currency, 0}, {"CODIGOBARRAS", FieldType::Text, 20}},
                       {{Currency{1}, text("1")}, {Currency{2}, text("2")}});
    t.copyFrom(cache); // COD_ALFA is gone: the filter goes with it
    EXPECT_FALSE(t.filtered());
    EXPECT_EQ(t.filter(), "");
    EXPECT_EQ(t.recordCount(), 2);
}
