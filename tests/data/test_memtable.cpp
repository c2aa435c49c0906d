#include "data/MemTable.h"
#include "platform/Codepage.h"
#include "support/VectorSource.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace vorn::data;
using vorn::data::testing::VectorSource;

namespace {

std::string ansi(const std::string& utf8) {
    return vorn::platform::utf8ToAnsi(utf8);
}
Value text(const std::string& utf8) {
    return ansi(utf8);
}

// The field over the rows shown, in the table's order, as UTF-8 ("<null>" for null).
std::vector<std::string> columnOf(MemTable& t, std::string_view field) {
    std::vector<std::string> out;
    for (t.first(); !t.eof(); t.next())
        out.push_back(t.isNull(field) ? "<null>" : vorn::platform::ansiToUtf8(t.asString(field)));
    return out;
}

std::vector<FieldDef> priceDefs() {
    return {{"PRECO", FieldType::Currency, 0},
            {"DESCR_PRODUTO", FieldType::Text, 40},
            {"CODIGOBARRAS", FieldType::Text, 20},
            {"UN_VENDAS", FieldType::Text, 6}};
}

std::vector<Value> priceRow(std::int64_t scaled, const std::string& descr,
                            const std::string& barcode, const std::string& unit = "UN") {
    return {Currency{scaled}, text(descr), text(barcode), text(unit)};
}

// A price cache with a barcode that two products share.
std::vector<std::vector<Value>> priceRows() {
    return {priceRow(54900, "ARROZ A", "7891000"), priceRow(31000, "FEIJÃO", "123"),
            priceRow(56000, "ARROZ B", "7891000"), priceRow(10000, "SAL", "0123"),
            priceRow(20000, "ÓLEO", "ABc")};
}

MemTable loadedPriceCache() {
    MemTable t;
    VectorSource source(priceDefs(), priceRows());
    t.copyFrom(source);
    return t;
}

// The activity log's fields.
MemTable logTable() {
    MemTable t;
    t.addField("DATA_HORA", FieldType::DateTime);
    t.addField("IP_ORIG_DESTINO", FieldType::Text, 20);
    t.addField("CONTEUDO", FieldType::Text, 100);
    t.open();
    return t;
}

void expectSameDefs(const std::vector<FieldDef>& actual, const std::vector<FieldDef>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t f = 0; f < expected.size(); ++f) {
        EXPECT_EQ(actual[f].name, expected[f].name);
        EXPECT_EQ(actual[f].type, expected[f].type) << expected[f].name;
        EXPECT_EQ(actual[f].size, expected[f].size) << expected[f].name;
    }
}

} // namespace

// --- Copy from a query ----------------------------------------------------------------------

TEST(MemTableCopy, RecreatesTheStructureFromTheSourceAndDropsFormerRows) {
    MemTable t;
    t.addField("IP", FieldType::Text, 20);
    t.addField("COD_TERMINAL", FieldType::Text, 20);
    t.open();
    for (const char* ip : {"10.0.0.1", "10.0.0.2"}) {
        t.append();
        t.setValue("IP", ip);
        t.post();
    }

    VectorSource source(priceDefs(), priceRows());
    t.copyFrom(source);

    expectSameDefs(t.fieldDefs(), priceDefs());
    EXPECT_EQ(t.fieldIndex("IP"), -1);
    EXPECT_EQ(t.recordCount(), 5);
    EXPECT_EQ(t.recNo(), 1);
    EXPECT_EQ(columnOf(t, "DESCR_PRODUTO"),
              (std::vector<std::string>{"ARROZ A", "FEIJÃO", "ARROZ B", "SAL", "ÓLEO"}));
    t.setRecNo(2);
    EXPECT_EQ(t.asCurrency("PRECO"), Currency{31000});
    EXPECT_EQ(t.asQString("DESCR_PRODUTO"), QString::fromUtf8("FEIJÃO"));

    // A second load replaces the first whole.
    VectorSource smaller(priceDefs(), {priceRow(1, "X", "9")});
    t.copyFrom(smaller);
    EXPECT_EQ(columnOf(t, "CODIGOBARRAS"), (std::vector<std::string>{"9"}));
}

TEST(MemTableCopy, FailingSourceLeavesTheFormerContents) {
    MemTable t = loadedPriceCache();
    ASSERT_TRUE(t.locate("CODIGOBARRAS", text("0123")));

    std::vector<FieldDef> otherDefs = {{"CODIGO", FieldType::Integer, 0}};
    VectorSource broken(otherDefs, {{std::int64_t{1}}, {std::int64_t{2}}, {std::int64_t{3}}});
    broken.failAfter(2);
    EXPECT_THROW(t.copyFrom(broken), std::runtime_error);

    expectSameDefs(t.fieldDefs(), priceDefs());
    EXPECT_EQ(t.recordCount(), 5);
    EXPECT_EQ(t.asString("DESCR_PRODUTO"), "SAL");
    EXPECT_TRUE(t.locate("CODIGOBARRAS", text("ABc")));
    EXPECT_EQ(t.asString("DESCR_PRODUTO"), ansi("ÓLEO"));
}

TEST(MemTableCopy, CutsTextsToTheColumnWidthAndKeepsNulls) {
    VectorSource source({{"NOME", FieldType::Text, 5}, {"PRECO", FieldType::Currency, 0}},
                        {{text("ABCDEFG"), Currency{15000}}, {Value{}, Value{}}});
    MemTable t;
    t.copyFrom(source);
    EXPECT_EQ(t.asString("NOME"), "ABCDE");
    t.next();
    EXPECT_TRUE(t.isNull("NOME"));
    EXPECT_TRUE(t.isNull("PRECO"));
    EXPECT_EQ(t.asString("NOME"), "");
    EXPECT_EQ(t.asCurrency("PRECO"), Currency{0});
}

// --- Fields and values ------------------------------------------------------------------------

TEST(MemTableFields, TextIsCutToTheFieldWidthInWindows1252Bytes) {
    struct Case {
        std::string utf8;
        int width;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"ABC", 3, "ABC"},
        {"ABCD", 3, "ABC"},
        {"", 3, ""},
        {"ÇÃOÉ", 2, "ÇÃ"}, // two bytes each in UTF-8, one in Windows-1252
        {"Código de barras (" + std::string(90, '7') + ") não localizado", 100,
         "Código de barras (" + std::string(82, '7')},
    };
    for (const Case& c : cases) {
        MemTable t;
        t.addField("T", FieldType::Text, c.width);
        t.open();
        t.append();
        t.setValue("T", text(c.utf8));
        EXPECT_EQ(t.asString("T"), ansi(c.expected)) << c.utf8 << " before post";
        t.post();
        EXPECT_EQ(t.asString("T"), ansi(c.expected)) << c.utf8;

        t.edit();
        t.setText("T", QString::fromUtf8(c.utf8.c_str()));
        t.post();
        EXPECT_EQ(t.asQString("T"), QString::fromUtf8(c.expected.c_str())) << c.utf8;
    }
}

TEST(MemTableFields, CurrencyIsExactToTheFourthDecimal) {
    struct Case {
        Value in;
        std::int64_t scaled;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {Currency{1}, 1, "0.0001"},
        {Currency{12345000}, 12345000, "1234.5"},
        {Currency{-100}, -100, "-0.01"},
        {Currency{INT64_MAX}, INT64_MAX, "922337203685477.5807"},
        {std::int64_t{3}, 30000, "3"},
        {0.1 + 0.2, 3000, "0.3"}, // a binary double is rounded to four places once
        {19.99, 199900, "19.99"},
    };
    MemTable t;
    t.addField("PRECO", FieldType::Currency);
    t.open();
    for (const Case& c : cases) {
        t.append();
        t.setValue("PRECO", c.in);
        t.post();
        EXPECT_EQ(t.asCurrency("PRECO").scaled, c.scaled) << c.shown;
        EXPECT_EQ(t.asString("PRECO"), c.shown);
        EXPECT_EQ(std::get<Currency>(t.value("PRECO")).scaled, c.scaled);
    }
}

TEST(MemTableFields, ValueOfAnotherTypeIsRefused) {
    MemTable t = loadedPriceCache();
    t.append();
    t.setValue("PRECO", Currency{500});
    // A value that cannot take the field's type is a conversion error; naming what does not
    // exist, a misuse.
    const auto category = [](auto&& action) -> std::optional<ErrorCategory> {
        try {
            action();
        } catch (const MemTableError& e) {
            return e.category();
        }
        return std::nullopt;
    };
    EXPECT_EQ(category([&] { t.setValue("PRECO", text("5,00")); }), ErrorCategory::Conversion);
    EXPECT_EQ(category([&] { t.setValue("PRECO", 1e300); }), ErrorCategory::Conversion);
    EXPECT_EQ(category([&] { t.setValue("DESCR_PRODUTO", std::int64_t{5}); }),
              ErrorCategory::Conversion);
    EXPECT_EQ(category([&] { t.setValue("NAO_EXISTE", text("x")); }), ErrorCategory::Usage);
    EXPECT_EQ(t.asCurrency("PRECO"), Currency{500});
    EXPECT_EQ(category([&] { (void)t.asInteger("DESCR_PRODUTO"); }), ErrorCategory::Usage);
}

TEST(MemTableFields, ValuesThatAreNoTextReadAsTheirPlainRendering) {
    const QDateTime stamp(QDate(2024, 2, 29), QTime(13, 45, 7, 5));
    VectorSource source(
        {{"I", FieldType::Integer, 0},
         {"P", FieldType::Currency, 0},
         {"F", FieldType::Float, 0},
         {"D", FieldType::Date, 0},
         {"H", FieldType::Time, 0},
         {"TS", FieldType::DateTime, 0}},
        {{std::int64_t{-42}, Currency{-125}, 0.1, QDate(2024, 2, 29), QTime(8, 0), stamp},
         {Value{}, Currency{30000}, 1e20, Value{}, QTime(13, 45, 7, 123),
          QDateTime(QDate(1858, 11, 17), QTime(0, 0))}});
    MemTable t;
    t.copyFrom(source);
    const std::vector<std::vector<std::string>> expected = {
        {"-42", "-0.0125", "0.1", "2024-02-29", "08:00:00", "2024-02-29 13:45:07.005"},
        {"", "3", "1e+20", "", "13:45:07.123", "1858-11-17 00:00:00"},
    };
    const char* const fields[] = {"I", "P", "F", "D", "H", "TS"};
    for (std::size_t row = 0; row < expected.size(); ++row) {
        t.setRecNo(static_cast<int>(row) + 1);
        for (std::size_t f = 0; f < expected[row].size(); ++f) {
            EXPECT_EQ(t.asString(fields[f]), expected[row][f]) << fields[f];
            EXPECT_EQ(t.asQString(fields[f]).toStdString(), expected[row][f]) << fields[f];
        }
    }
}

// --- Rows: append, post, edit, empty ----------------------------------------------------------

TEST(MemTableRows, LogRowsAreAppendedInOrderAndEmptiedAtOnce) {
    MemTable t = logTable();
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.recNo(), 0);
    EXPECT_TRUE(t.isNull("CONTEUDO")); // no current record

    const QDateTime when(QDate(2024, 5, 6), QTime(7, 8, 9));
    t.append(); // appended before the library call, filled and posted after it
    t.setValue("data_hora", when);
    t.setValue("IP_ORIG_DESTINO", "Servidor");
    t.setText("CONTEUDO", QStringLiteral("Servidor ativado com sucesso"));
    t.post();
    for (int id : {7, 8}) {
        t.append();
        t.setValue("DATA_HORA", when.addSecs(id));
        t.setValue("CONTEUDO", "Dados enviados com sucesso ao terminal. ID: " + std::to_string(id));
        t.post();
        EXPECT_EQ(t.recNo(), t.recordCount()); // the new row is the current one
    }

    EXPECT_EQ(columnOf(t, "CONTEUDO"),
              (std::vector<std::string>{"Servidor ativado com sucesso",
                                        "Dados enviados com sucesso ao terminal. ID: 7",
                                        "Dados enviados com sucesso ao terminal. ID: 8"}));
    EXPECT_EQ(columnOf(t, "IP_ORIG_DESTINO"),
              (std::vector<std::string>{"Servidor", "<null>", "<null>"}));
    t.first();
    EXPECT_EQ(t.asDateTime("DATA_HORA"), when);

    t.emptyTable();
    EXPECT_TRUE(t.active());
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_TRUE(t.eof());
    EXPECT_TRUE(t.bof());
    t.append();
    t.setValue("CONTEUDO", "depois");
    t.post();
    EXPECT_EQ(columnOf(t, "CONTEUDO"), (std::vector<std::string>{"depois"}));
}

TEST(MemTableRows, PendingRecordIsPostedByMovingAndDiscardedByCancel) {
    MemTable t = logTable();
    t.append();
    t.setValue("CONTEUDO", "um");
    t.first(); // moving posts
    EXPECT_EQ(t.state(), MemTable::State::Browse);
    EXPECT_EQ(t.recordCount(), 1);

    t.append();
    t.setValue("CONTEUDO", "dois");
    EXPECT_EQ(t.asString("CONTEUDO"), "dois");
    t.cancel();
    EXPECT_EQ(t.recordCount(), 1);
    EXPECT_EQ(t.asString("CONTEUDO"), "um");

    t.append();
    t.setValue("CONTEUDO", "tres");
    t.emptyTable(); // discards
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_THROW(t.post(), MemTableError);
}

TEST(MemTableRows, EditRewritesTextsLongerAndShorterWithoutDisturbingNeighbours) {
    MemTable t = loadedPriceCache();
    t.setRecNo(2);
    t.edit();
    t.setValue("DESCR_PRODUTO", text("FEIJÃO CARIOCA TIPO 1 PACOTE 1KG"));
    t.post();
    t.setRecNo(3);
    t.edit();
    t.setValue("DESCR_PRODUTO", "AR");
    t.setValue("PRECO", Value{});
    t.post();
    EXPECT_EQ(columnOf(t, "DESCR_PRODUTO"),
              (std::vector<std::string>{"ARROZ A", "FEIJÃO CARIOCA TIPO 1 PACOTE 1KG", "AR", "SAL",
                                        "ÓLEO"}));
    EXPECT_EQ(columnOf(t, "PRECO"), (std::vector<std::string>{"5.49", "3.1", "<null>", "1", "2"}));
}

TEST(MemTableRows, ClosedTableRefusesChangesAndOpenTableKeepsItsFields) {
    MemTable t;
    EXPECT_THROW(t.open(), MemTableError); // no fields
    t.addField("IP", FieldType::Text, 20);
    EXPECT_THROW(t.addField("ip", FieldType::Text, 20), MemTableError);
    EXPECT_THROW(t.append(), MemTableError);
    t.first(); // nothing to move on: harmless
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_FALSE(t.locate("IP", text("x")));

    t.open();
    EXPECT_THROW(t.addField("COD_TERMINAL", FieldType::Text, 20), MemTableError);
    EXPECT_THROW(t.clearFields(), MemTableError);
    t.append();
    t.setValue("IP", "1.2.3.4");
    t.post();
    t.close();
    EXPECT_EQ(t.recordCount(), 0);
    t.clearFields(); // as the start-up does: clear, define, close, open
    t.addField("IP", FieldType::Text, 20);
    t.addField("COD_TERMINAL", FieldType::Text, 20);
    t.close();
    t.open();
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_EQ(t.fieldCount(), 2);
}

// --- Search -----------------------------------------------------------------------------------

TEST(MemTableSearch, FindsTheFirstExactMatchInTheTablesOrder) {
    MemTable t = loadedPriceCache();
    struct Case {
        std::string key;
        std::string found; // empty: not found
    };
    const std::vector<Case> cases = {
        {"7891000", "ARROZ A"}, // the first of two products with this barcode
        {"123", "FEIJÃO"},
        {"0123", "SAL"}, // leading zeros count
        {"ABc", "ÓLEO"},
        {"abc", ""}, // case counts
        {"789", ""},
        {"7891000 ", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        t.setRecNo(4);
        const bool found = t.locate("CODIGOBARRAS", text(c.key));
        EXPECT_EQ(found, !c.found.empty()) << c.key;
        if (found)
            EXPECT_EQ(t.asString("DESCR_PRODUTO"), ansi(c.found)) << c.key;
        else
            EXPECT_EQ(t.recNo(), 4) << c.key << ": a failed search moved the record";
    }
    t.first();
    EXPECT_EQ(t.find(t.indexOf("CODIGOBARRAS"), text("ABc")), 5);
    EXPECT_EQ(t.recNo(), 1);
}

TEST(MemTableSearch, FollowsOrderAndChangesOfTheRows) {
    MemTable t = loadedPriceCache();
    const auto foundFor = [&t](const std::string& barcode) {
        return t.locate("CODIGOBARRAS", text(barcode)) ? t.asString("DESCR_PRODUTO")
                                                       : std::string("<none>");
    };
    EXPECT_EQ(foundFor("7891000"), "ARROZ A");
    t.setIndexFieldNames("DESCR_PRODUTO:D");
    EXPECT_EQ(foundFor("7891000"), "ARROZ B");
    t.setIndexFieldNames("DESCR_PRODUTO");
    EXPECT_EQ(foundFor("7891000"), "ARROZ A");

    t.append(); // sorts before both
    t.setValue("DESCR_PRODUTO", "AAA");
    t.setValue("CODIGOBARRAS", "7891000");
    t.post();
    EXPECT_EQ(foundFor("7891000"), "AAA");

    t.edit();
    t.setValue("CODIGOBARRAS", "555");
    t.post();
    EXPECT_EQ(foundFor("7891000"), "ARROZ A");
    EXPECT_EQ(foundFor("555"), "AAA");

    t.setIndexFieldNames("");
    EXPECT_EQ(foundFor("7891000"), "ARROZ A");
    EXPECT_EQ(t.recNo(), 1);

    VectorSource reload(priceDefs(), {priceRow(1, "NOVO", "7891000")});
    t.copyFrom(reload);
    EXPECT_EQ(foundFor("7891000"), "NOVO");
    EXPECT_EQ(foundFor("123"), "<none>");
}

TEST(MemTableSearch, SeesOnlyTheRowsTheFilterShows) {
    MemTable t = loadedPriceCache();
    t.setFilter("DESCR_PRODUTO LIKE '%B%' OR DESCR_PRODUTO = 'SAL'");
    t.setFiltered(true);
    EXPECT_TRUE(t.locate("CODIGOBARRAS", text("7891000")));
    EXPECT_EQ(t.asString("DESCR_PRODUTO"), "ARROZ B");
    EXPECT_EQ(t.recNo(), 1);
    EXPECT_FALSE(t.locate("CODIGOBARRAS", text("123")));
    t.setFiltered(false);
    EXPECT_TRUE(t.locate("CODIGOBARRAS", text("7891000")));
    EXPECT_EQ(t.asString("DESCR_PRODUTO"), "ARROZ A");
}

TEST(MemTableSearch, NumbersCompareByValueAndNullFindsNull) {
    VectorSource source({{"CODIGO", FieldType::Integer, 0},
                         {"PRECO", FieldType::Currency, 0},
                         {"NOME", FieldType::Text, 10}},
                        {{std::int64_t{1}, Currency{100000}, Value{}},
                         {std::int64_t{2}, Currency{25000}, text("a")},
                         {std::int64_t{3}, Currency{100000}, Value{}}});
    MemTable t;
    t.copyFrom(source);
    const int codigo = t.indexOf("CODIGO"), preco = t.indexOf("PRECO"), nome = t.indexOf("NOME");
    struct Case {
        int field;
        Value key;
        std::optional<int> recNo;
    };
    const std::vector<Case> cases = {
        {preco, Currency{100000}, 1},
        {preco, std::int64_t{10}, 1},
        {preco, 2.5, 2},
        {preco, 2.5001, std::nullopt},
        {preco, 2.50001, 2}, // a double counts to four places
        {codigo, Currency{20000}, 2},
        {codigo, Currency{25000}, std::nullopt},
        {codigo, 3.0, 3},
        {nome, Value{}, 1},
        {nome, text("a"), 2},
        {codigo, Value{}, std::nullopt},
    };
    for (std::size_t k = 0; k < cases.size(); ++k)
        EXPECT_EQ(t.find(cases[k].field, cases[k].key), cases[k].recNo) << "case " << k;
    EXPECT_THROW((void)t.find(codigo, text("1")), MemTableError);
}

TEST(MemTableSearch, AnInvalidDateIsNullWhenStoredAndWhenSought) {
    MemTable t;
    t.addField("D", FieldType::Date);
    t.addField("TS", FieldType::DateTime);
    t.open();
    const QDate day(2024, 2, 29);
    for (const Value& v : {Value{day}, Value{QDate()}}) {
        t.append();
        t.setValue("D", v);
        t.setValue("TS", v); // a date into a date-time field: the start of its day
        t.post();
    }
    EXPECT_TRUE(t.isNull("D"));
    EXPECT_TRUE(t.isNull("TS"));
    EXPECT_EQ(t.find(t.indexOf("D"), QDate()), 2);
    EXPECT_EQ(t.find(t.indexOf("TS"), QDateTime()), 2);
    EXPECT_EQ(t.find(t.indexOf("D"), day), 1);
    EXPECT_EQ(t.find(t.indexOf("TS"), day), 1);
    EXPECT_EQ(t.find(t.indexOf("TS"), day.startOfDay()), 1);
    EXPECT_EQ(t.find(t.indexOf("TS"), QDateTime(day, QTime(0, 0, 1))), std::nullopt);
}

// --- Sort ------------------------------------------------------------------------------------

namespace {

MemTable namesTable(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::vector<std::vector<Value>> values;
    for (const auto& [grupo, nome] : rows)
        values.push_back({grupo == "<null>" ? Value{} : text(grupo), text(nome)});
    VectorSource source({{"GRUPO", FieldType::Text, 40}, {"NOME", FieldType::Text, 20}}, values);
    MemTable t;
    t.copyFrom(source);
    return t;
}

} // namespace

TEST(MemTableSort, TextsCollateAccentsAndCaseTogetherNullFirst) {
    MemTable t = namesTable({{"banana", "1"},
                             {"Ábaco", "2"},
                             {"abacate", "3"},
                             {"Zebra", "4"},
                             {"água", "5"},
                             {"<null>", "6"},
                             {"acucar", "7"},
                             {"Açúcar", "8"}});
    t.setIndexFieldNames("GRUPO");
    EXPECT_EQ(columnOf(t, "GRUPO"),
              (std::vector<std::string>{"<null>", "abacate", "Ábaco", "Açúcar", "acucar", "água",
                                        "banana", "Zebra"}));
    t.setIndexFieldNames("grupo:d");
    EXPECT_EQ(columnOf(t, "GRUPO"),
              (std::vector<std::string>{"Zebra", "banana", "água", "acucar", "Açúcar", "Ábaco",
                                        "abacate", "<null>"}));
}

TEST(MemTableSort, TiesKeepTheOrderRowsWereAddedIn) {
    MemTable t = namesTable({{"B", "1"}, {"A", "2"}, {"B", "3"}, {"A", "4"}, {"B", "5"}});
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"GRUPO", {"2", "4", "1", "3", "5"}},
        {"GRUPO:D", {"1", "3", "5", "2", "4"}},
        {"GRUPO; NOME:D", {"4", "2", "5", "3", "1"}},
        {"GRUPO:D;NOME:A", {"1", "3", "5", "2", "4"}},
        {"", {"1", "2", "3", "4", "5"}},
    };
    for (const auto& [names, expected] : cases) {
        t.setIndexFieldNames(names);
        EXPECT_EQ(columnOf(t, "NOME"), expected) << names;
    }
}

TEST(MemTableSort, LongTextsSharingTheirStartSortByTheRest) {
    MemTable t = namesTable({{"FEIJAO CARIOCA TIPO 1 PACOTE 2KG", "1"},
                             {"FEIJAO CARIOCA TIPO 1 PACOTE 1KG", "2"},
                             {"feijão carioca tipo 1 pacote 1kg", "3"},
                             {"FEIJAO CARIOCA", "4"},
                             {"FEIJAO CARIOCA TIPO 1 PACOTE 1KG", "5"}});
    t.setIndexFieldNames("GRUPO");
    EXPECT_EQ(columnOf(t, "NOME"), (std::vector<std::string>{"4", "2", "5", "3", "1"}));
    t.setIndexFieldNames("GRUPO:D");
    EXPECT_EQ(columnOf(t, "NOME"), (std::vector<std::string>{"1", "3", "2", "5", "4"}));
}

TEST(MemTableSort, NumbersAndDatesSortByValue) {
    VectorSource source(
        {{"N", FieldType::Integer, 0},
         {"P", FieldType::Currency, 0},
         {"D", FieldType::DateTime, 0}},
        {{std::int64_t{10}, Currency{-5}, QDateTime(QDate(2024, 1, 2), QTime(3, 0))},
         {std::int64_t{9}, Currency{100000}, QDateTime(QDate(2023, 12, 31), QTime(23, 0))},
         {std::int64_t{-1}, Currency{99999}, Value{}},
         {std::int64_t{100}, Currency{0}, QDateTime(QDate(2024, 1, 2), QTime(2, 0))}});
    MemTable t;
    t.copyFrom(source);
    t.setIndexFieldNames("N");
    EXPECT_EQ(columnOf(t, "N"), (std::vector<std::string>{"-1", "9", "10", "100"}));
    t.setIndexFieldNames("P:D");
    EXPECT_EQ(columnOf(t, "N"), (std::vector<std::string>{"9", "-1", "100", "10"}));
    t.setIndexFieldNames("D");
    EXPECT_EQ(columnOf(t, "N"), (std::vector<std::string>{"-1", "9", "100", "10"}));
}

TEST(MemTableSort, BadIndexFieldNamesChangeNothing) {
    MemTable t = namesTable({{"B", "1"}, {"A", "2"}});
    t.setIndexFieldNames("GRUPO");
    t.last();
    for (const char* bad : {"NOPE", "GRUPO:X", "GRUPO;NOPE", "NOME:DN"}) {
        EXPECT_THROW(t.setIndexFieldNames(bad), MemTableError) << bad;
        EXPECT_EQ(t.indexFieldNames(), "GRUPO") << bad;
        EXPECT_EQ(t.recNo(), 2) << bad;
    }
    EXPECT_EQ(columnOf(t, "NOME"), (std::vector<std::string>{"2", "1"}));
}

TEST(MemTableSort, RowsAddedOrChangedTakeTheirPlaceAndTheCurrentRowStays) {
    MemTable t = namesTable({{"C", "1"}, {"A", "2"}, {"E", "3"}});
    t.setIndexFieldNames("GRUPO");
    t.append();
    t.setValue("GRUPO", "B");
    t.setValue("NOME", "4");
    t.post();
    EXPECT_EQ(t.recNo(), 2);
    EXPECT_EQ(columnOf(t, "NOME"), (std::vector<std::string>{"2", "4", "1", "3"}));

    ASSERT_TRUE(t.locate("NOME", text("2")));
    t.edit();
    t.setValue("GRUPO", "Z");
    t.post();
    EXPECT_EQ(t.recNo(), 4);
    EXPECT_EQ(t.asString("NOME"), "2");

    t.setIndexFieldNames("GRUPO:D"); // the same row stays current
    EXPECT_EQ(t.recNo(), 1);
    EXPECT_EQ(t.asString("NOME"), "2");
}

TEST(OrdenaPorTitulo, ClicksAlternateAscendingAndDescendingAcrossColumns) {
    MemTable t = namesTable({{"B", "z"}, {"A", "y"}, {"C", "x"}});
    int tag = 0;
    const std::vector<std::tuple<std::string, int, std::vector<std::string>>> clicks = {
        {"GRUPO", 1, {"A", "B", "C"}}, // first click: ascending
        {"GRUPO", 0, {"C", "B", "A"}}, // same title again: descending
        {"NOME", 1, {"C", "A", "B"}},  // another title: ascending again (by NOME)
        {"GRUPO", 0, {"C", "B", "A"}}, // toggle belongs to the grid, not the column
    };
    for (const auto& [field, tagAfter, groups] : clicks) {
        t.last();
        OrdenaPorTitulo(tag, t, field);
        EXPECT_EQ(tag, tagAfter) << field;
        EXPECT_EQ(t.recNo(), 1) << field;
        EXPECT_EQ(columnOf(t, "GRUPO"), groups) << field;
    }
    EXPECT_THROW(OrdenaPorTitulo(tag, t, "NOPE"), MemTableError);
    EXPECT_EQ(tag, 0);
}

TEST(OrdenaPorTitulo, ClickBeforeTheFirstListingSortsTheListing) {
    MemTable t; // no listing yet: no fields, closed
    int tag = 0;
    OrdenaPorTitulo(tag, t, "GRUPO");
    EXPECT_EQ(tag, 1);
    VectorSource source({{"GRUPO", FieldType::Text, 5}}, {{text("B")}, {text("A")}});
    t.copyFrom(source);
    EXPECT_EQ(columnOf(t, "GRUPO"), (std::vector<std::string>{"A", "B"}));

    VectorSource other({{"OUTRO", FieldType::Text, 5}}, {{text("B")}, {text("A")}});
    t.copyFrom(other); // the index names no longer fit: dropped
    EXPECT_EQ(t.indexFieldNames(), "");
    EXPECT_EQ(columnOf(t, "OUTRO"), (std::vector<std::string>{"B", "A"}));
}
