// The price cache loaded by CarregaPrecos, with the query SqlCarregaPrecos builds, from the
// fixture database on the real server.

#include "catalogue/PriceCache.h"
#include "data/DatabaseError.h"
#include "support/FirebirdServer.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace vorn::data;
using vorn::catalogue::CarregaPrecos;
using vorn::test::connectToFixture;

namespace {

using Rows = std::multimap<std::string, std::pair<std::string, std::int64_t>>;

// Every row of the cache: barcode -> sales unit and price * 10000.
Rows cachedRows(MemTable& cache) {
    Rows rows;
    for (cache.first(); !cache.eof(); cache.next())
        rows.emplace(cache.asString("CODIGOBARRAS"),
                     std::make_pair(cache.asString("UN_VENDAS"), cache.asCurrency("PRECO").scaled));
    return rows;
}

// The fixture's branch 1 and price table 2: active products with a barcode and a price of type
// 'P' in an active table; one barcode twice.
const Rows kBranch1Table2 = {
    {"7891000100011", {"UN", 49900}},   {"7891000100028", {"PCT", 187500}},
    {"7891000100035", {"UN", 84900}},   {"2000000000046", {"KG", 99900}},
    {"7891000100080", {"PCT", 279000}}, {"7891000100097", {"UN", 91234}},
    {"7891000100097", {"UN", 123456}},  {"7891000100110", {"CX", 119900}},
    {"7891000100127", {"UN", 1}},       {"7891000100134", {"", 999999999999999999}},
    {"7891000100141", {"CX", 1000}},    {"7891000100158", {"CART", 0}},
};

} // namespace

TEST(PriceCache, LoadsExactAmountsWithTheColumnsOfTheDatabaseAndClosesTheConnection) {
    Connection connection;
    connectToFixture(connection);
    Query query(connection);
    MemTable cache;
    CarregaPrecos(connection, query, cache, 1, 2);

    EXPECT_FALSE(connection.connected());
    ASSERT_EQ(cache.fieldCount(), 4);
    const std::vector<FieldDef>& defs = cache.fieldDefs();
    EXPECT_EQ(defs[0].name, "PRECO");
    EXPECT_EQ(defs[0].type, FieldType::Currency);
    EXPECT_EQ(defs[1].name, "DESCR_PRODUTO");
    EXPECT_EQ(defs[1].type, FieldType::Text);
    EXPECT_EQ(defs[1].size, 100);
    EXPECT_EQ(defs[2].name, "CODIGOBARRAS");
    EXPECT_EQ(defs[2].size, 20);
    EXPECT_EQ(defs[3].name, "UN_VENDAS");
    EXPECT_EQ(defs[3].size, 6);
    EXPECT_EQ(cachedRows(cache), kBranch1Table2);
}

TEST(PriceCache, SearchFindsTheFirstRowOfADuplicatedBarcode) {
    Connection connection;
    connectToFixture(connection);
    Query query(connection);
    MemTable cache;
    CarregaPrecos(connection, query, cache, 1, 2);

    // The first row of the barcode in the cache's order, whichever the server sent first.
    const std::string barcode = "7891000100097";
    int firstRecNo = 0;
    Currency firstPrice;
    for (cache.first(); !cache.eof() && firstRecNo == 0; cache.next())
        if (cache.asString("CODIGOBARRAS") == barcode) {
            firstRecNo = cache.recNo();
            firstPrice = cache.asCurrency("PRECO");
        }
    ASSERT_NE(firstRecNo, 0);

    cache.last();
    ASSERT_TRUE(cache.locate("CODIGOBARRAS", Value(barcode)));
    EXPECT_EQ(cache.recNo(), firstRecNo);
    EXPECT_EQ(cache.asCurrency("PRECO"), firstPrice);
    EXPECT_EQ(cache.asQString("DESCR_PRODUTO"), QStringLiteral("ARROZ INTEGRAL 1KG"));
    EXPECT_FALSE(cache.locate("CODIGOBARRAS", Value(std::string("0000000000000"))));
}

TEST(PriceCache, FailedLoadLeavesTheFormerCacheWhole) {
    Connection connection;
    connectToFixture(connection);
    Query query(connection);
    MemTable cache;
    CarregaPrecos(connection, query, cache, 1, 2);

    connection.setParam(QStringLiteral("password"), QStringLiteral("senha-errada"));
    try {
        CarregaPrecos(connection, query, cache, 1, 2);
        ADD_FAILURE() << "the cache loaded with a wrong password";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.category(), ErrorCategory::Authentication) << e.what();
    }
    EXPECT_EQ(cachedRows(cache), kBranch1Table2);
}
