// Reading rows through Connection and Query from the fixture database on the real server.

#include "data/AbreConsulta.h"
#include "data/MemTable.h"
#include "data/Query.h"
#include "support/FirebirdServer.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

using namespace vorn::data;
using vorn::test::connectToFixture;

namespace {

class FirebirdQuery : public ::testing::Test {
protected:
    void SetUp() override { connectToFixture(connection); }
    Connection connection;
};

TEST_F(FirebirdQuery, AccentedTextArrivesAsWindows1252BytesAndReadsAsUnicode) {
    struct Case {
        const char* sql;
        std::string bytes;
        QString unicode;
    };
    const Case cases[] = {
        {"SELECT DESCRICAO AS T FROM PRODUTOS WHERE CODIGO = 1",
         "A\xC7\xDA"
         "CAR CRISTAL 1KG",
         QStringLiteral(u"AÇÚCAR CRISTAL 1KG")},
        {"SELECT DESCRICAO AS T FROM PRODUTOS WHERE CODIGO = 13",
         "\xC1GUA MINERAL N\xBA 1 SEM G\xC1S 500ML",
         QStringLiteral(u"ÁGUA MINERAL Nº 1 SEM GÁS 500ML")},
        // Windows-1252's own characters between 0x80 and 0x9F: the euro sign and the en dash.
        {"SELECT DESCRICAO AS T FROM PRODUTOS WHERE CODIGO = 14",
         "BOMBOM SORTIDO \x96 EDI\xC7\xC3O \x80 EUROPA",
         QStringLiteral(u"BOMBOM SORTIDO – EDIÇÃO € EUROPA")},
        {"SELECT NOME_CURTO AS T FROM DIVERSOS WHERE FILIAL = 3",
         "LOJA PRA\xC7"
         "A",
         QStringLiteral(u"LOJA PRAÇA")},
        // Lower-case accented letters stay as they are stored.
        {"SELECT NOME AS T FROM USUARIOS WHERE CODIGO = 7", "JOS\xC9 CONCEI\xC7\xC3O",
         QStringLiteral(u"JOSÉ CONCEIÇÃO")},
    };
    Query query(connection);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        AbreConsulta(query, QString::fromLatin1(c.sql));
        ASSERT_FALSE(query.eof());
        EXPECT_EQ(std::get<std::string>(query.value("T")), c.bytes);
        EXPECT_EQ(query.asQString("t"), c.unicode);
    }
}

TEST_F(FirebirdQuery, SqlTextWithAccentsReachesTheServerAsWindows1252) {
    Query query(connection);
    AbreConsulta(query,
                 QStringLiteral(u"SELECT CODIGO FROM PRODUTOS WHERE DESCRICAO = 'MAÇÃ GALA'"));
    ASSERT_FALSE(query.eof());
    EXPECT_EQ(query.asInteger("CODIGO"), 4);
    query.next();
    EXPECT_TRUE(query.eof());
}

TEST_F(FirebirdQuery, NumericsOfEveryScaleBecomeExactAmounts) {
    struct Case {
        const char* expression;
        std::int64_t scaled;
    };
    const Case cases[] = {
        {"CAST(12.34 AS NUMERIC(9,2))", 123400},
        {"CAST(-12.34 AS NUMERIC(4,2))", -123400},
        {"CAST(0.1 AS NUMERIC(18,1))", 1000},
        {"CAST(92233720368.5477 AS NUMERIC(18,4))", 922337203685477},
        {"CAST(-922337203685477.5807 AS NUMERIC(18,4))", -INT64_MAX},
        // More than four decimals: rounded half away from zero.
        {"CAST(1.23455 AS NUMERIC(18,5))", 12346},
        {"CAST(-1.23455 AS NUMERIC(18,5))", -12346},
        {"CAST(1.23454 AS NUMERIC(18,5))", 12345},
        {"CAST(-0.00004 AS NUMERIC(18,5))", 0},
        {"CAST(0.00005 AS NUMERIC(18,5))", 1},
    };
    Query query(connection);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression);
        AbreConsulta(
            query,
            QStringLiteral("SELECT %1 AS V FROM RDB$DATABASE").arg(QLatin1String(c.expression)));
        ASSERT_EQ(query.fieldDefs()[0].type, FieldType::Currency);
        EXPECT_EQ(std::get<Currency>(query.value("V")).scaled, c.scaled);
    }
}

TEST_F(FirebirdQuery, NumericTooLargeForFourDecimalsIsAnErrorNotAWrongAmount) {
    Query query(connection);
    try {
        AbreConsulta(query, QStringLiteral("SELECT CAST(92233720368547758.07 AS NUMERIC(18,2)) "
                                           "AS GRANDE FROM RDB$DATABASE"));
        FAIL() << "an amount beyond the range of four decimals was read";
    } catch (const DatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("GRANDE"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(query.active());
}

TEST_F(FirebirdQuery, OtherColumnTypesReadAsTheirFieldTypes) {
    Query query(connection);
    AbreConsulta(query,
                 QStringLiteral("SELECT DATE '2024-02-29' D, TIME '13:45:07.1234' H, "
                                "TIMESTAMP '1858-11-17 00:00:00' TS, CAST(NULL AS DATE) ND, "
                                "TRUE B, CAST(1.5 AS DOUBLE PRECISION) F, "
                                "CAST(-32768 AS SMALLINT) S, CAST(9223372036854775807 AS BIGINT) "
                                "BI, CAST('AB' AS CHAR(5)) C, CAST('' AS VARCHAR(3)) V, UF "
                                "FROM DIVERSOS WHERE FILIAL = 1"));
    ASSERT_FALSE(query.eof());
    const std::vector<FieldDef>& defs = query.fieldDefs();
    const std::map<std::string, FieldType> types = {
        {"D", FieldType::Date},    {"H", FieldType::Time},     {"TS", FieldType::DateTime},
        {"ND", FieldType::Date},   {"B", FieldType::Integer},  {"F", FieldType::Float},
        {"S", FieldType::Integer}, {"BI", FieldType::Integer}, {"C", FieldType::Text},
        {"V", FieldType::Text},    {"UF", FieldType::Text},
    };
    for (const FieldDef& def : defs) {
        SCOPED_TRACE(def.name);
        ASSERT_TRUE(types.count(def.name));
        EXPECT_EQ(def.type, types.at(def.name));
    }
    EXPECT_EQ(std::get<QDate>(query.value("D")), QDate(2024, 2, 29));
    EXPECT_EQ(std::get<QTime>(query.value("H")), QTime(13, 45, 7, 123));
    EXPECT_EQ(std::get<QDateTime>(query.value("TS")), QDateTime(QDate(1858, 11, 17), QTime(0, 0)));
    EXPECT_TRUE(query.isNull("ND"));
    EXPECT_EQ(std::get<std::int64_t>(query.value("B")), 1);
    EXPECT_EQ(std::get<double>(query.value("F")), 1.5);
    EXPECT_EQ(std::get<std::int64_t>(query.value("S")), -32768);
    EXPECT_EQ(std::get<std::int64_t>(query.value("BI")), INT64_MAX);
    // CHAR loses its padding; an empty VARCHAR is empty, not null.
    EXPECT_EQ(std::get<std::string>(query.value("C")), "AB");
    EXPECT_EQ(defs[static_cast<std::size_t>(query.fieldIndex("C"))].size, 5);
    EXPECT_EQ(std::get<std::string>(query.value("V")), "");
    EXPECT_EQ(std::get<std::string>(query.value("UF")), "SP");
}

TEST_F(FirebirdQuery, BlobColumnIsRefusedByName) {
    Query query(connection);
    try {
        AbreConsulta(query, QStringLiteral("SELECT CAST('x' AS BLOB SUB_TYPE TEXT) AS MEMO "
                                           "FROM RDB$DATABASE"));
        FAIL() << "a BLOB column was opened";
    } catch (const DatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("MEMO"), std::string::npos) << e.what();
    }
}

TEST_F(FirebirdQuery, FieldNamesIgnoreCaseAndRepeatedNamesGetASuffix) {
    Query query(connection);
    AbreConsulta(query, QStringLiteral("SELECT T.CODIGO, P.CODIGO, T.DESCRICAO FROM "
                                       "TABS_PRECOS_PROD_SERV T JOIN PRODUTOS P ON P.CODIGO = 2 "
                                       "WHERE T.FILIAL = 1 AND T.CODIGO = 3"));
    ASSERT_EQ(query.fieldCount(), 3);
    EXPECT_EQ(query.fieldDefs()[0].name, "CODIGO");
    EXPECT_EQ(query.fieldDefs()[1].name, "CODIGO_1");
    EXPECT_EQ(query.asInteger("codigo"), 3);
    EXPECT_EQ(query.asInteger("Codigo_1"), 2);
    EXPECT_EQ(query.fieldIndex("descricao"), 2);
    EXPECT_EQ(query.fieldIndex("NAO_EXISTE"), -1);
    EXPECT_THROW(query.value("NAO_EXISTE"), DatabaseError);
}

TEST_F(FirebirdQuery, AbreConsultaReplacesWhatTheQueryHeldAndLeavesItClosedOnError) {
    Query query(connection);
    EXPECT_TRUE(
        AbreConsulta(query, QStringLiteral("SELECT NOME_CURTO FROM DIVERSOS WHERE FILIAL=1")));
    EXPECT_EQ(query.asQString("NOME_CURTO"), QStringLiteral("MATRIZ"));

    EXPECT_TRUE(AbreConsulta(query, QStringLiteral("SELECT CODIGO, DESCRICAO FROM "
                                                   "TABS_PRECOS_PROD_SERV WHERE FILIAL=1 AND "
                                                   "TABPADRAO='S'")));
    EXPECT_EQ(query.fieldIndex("NOME_CURTO"), -1);
    EXPECT_EQ(query.asInteger("CODIGO"), 2);
    EXPECT_EQ(query.asQString("DESCRICAO"), QStringLiteral("VAREJO"));

    // A query with no row is open and at its end at once.
    EXPECT_TRUE(
        AbreConsulta(query, QStringLiteral("SELECT NOME_CURTO FROM DIVERSOS WHERE FILIAL=99")));
    EXPECT_TRUE(query.active());
    EXPECT_TRUE(query.eof());
    EXPECT_TRUE(query.isNull("NOME_CURTO"));

    try {
        AbreConsulta(query, QStringLiteral("SELECT X FROM TABELA_QUE_NAO_EXISTE"));
        FAIL() << "a query of an unknown table opened";
    } catch (const DatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("Table unknown"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("TABELA_QUE_NAO_EXISTE"), std::string::npos);
        EXPECT_NE(e.gdsCode(), 0);
    }
    EXPECT_FALSE(query.active());
    EXPECT_EQ(query.sql(), "SELECT X FROM TABELA_QUE_NAO_EXISTE");
    EXPECT_EQ(query.fieldCount(), 0);

    // The connection is still usable.
    EXPECT_TRUE(
        AbreConsulta(query, QStringLiteral("SELECT NOME_CURTO FROM DIVERSOS WHERE FILIAL=2")));
    EXPECT_EQ(query.asQString("NOME_CURTO"), QStringLiteral("LOJA CENTRO"));
}

TEST_F(FirebirdQuery, StatementWithoutRowsIsRefusedAndNothingIsWritten) {
    Query query(connection);
    EXPECT_THROW(AbreConsulta(query, QStringLiteral("UPDATE PRODUTOS SET DESCRICAO = 'X'")),
                 DatabaseError);
    AbreConsulta(query, QStringLiteral("SELECT COUNT(*) AS N FROM PRODUTOS WHERE DESCRICAO = 'X'"));
    EXPECT_EQ(query.asInteger("N"), 0);
}

// A field reads the same text from the query's row and from the memory table that copied it, and
// that text is the plain rendering of ValueText.h.
TEST_F(FirebirdQuery, ValuesReadTheSameFromTheQueryAndFromTheMemoryTableThatCopiedThem) {
    Query query(connection);
    AbreConsulta(query,
                 QStringLiteral("SELECT CAST(0.1 AS DOUBLE PRECISION) F, CAST(1E20 AS DOUBLE "
                                "PRECISION) G, CAST(-0.0125 AS NUMERIC(18,4)) P, 42 I, "
                                "DATE '2024-02-29' D, TIME '13:45:07.1234' H, TIME '08:00:00' H0, "
                                "TIMESTAMP '2024-02-29 13:45:07.5' TS, "
                                "TIMESTAMP '1858-11-17 00:00:00' TS0, DESCRICAO T, "
                                "CAST(NULL AS INTEGER) N FROM PRODUTOS WHERE CODIGO = 1"));
    const std::vector<std::pair<std::string, QString>> expected = {
        {"F", QStringLiteral("0.1")},
        {"G", QStringLiteral("1e+20")},
        {"P", QStringLiteral("-0.0125")},
        {"I", QStringLiteral("42")},
        {"D", QStringLiteral("2024-02-29")},
        {"H", QStringLiteral("13:45:07.123")},
        {"H0", QStringLiteral("08:00:00")},
        {"TS", QStringLiteral("2024-02-29 13:45:07.500")},
        {"TS0", QStringLiteral("1858-11-17 00:00:00")},
        {"T", QStringLiteral(u"AÇÚCAR CRISTAL 1KG")},
        {"N", QString()},
    };
    ASSERT_FALSE(query.eof());
    std::map<std::string, std::string> bytes;
    for (const auto& [field, text] : expected) {
        EXPECT_EQ(query.asQString(field), text) << field;
        bytes[field] = query.asString(field);
    }
    MemTable table;
    table.copyFrom(query);
    ASSERT_EQ(table.recordCount(), 1);
    for (const auto& [field, text] : expected) {
        EXPECT_EQ(table.asQString(field), text) << field;
        EXPECT_EQ(table.asString(field), bytes[field]) << field;
    }
}

} // namespace
