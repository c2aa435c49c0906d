#include "data/MemTable.h"
#include "platform/Codepage.h"
#include "support/ProductListingRows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vorn::data;
using vorn::data::testing::VectorSource;
using vorn::test::listingDefs;
using vorn::test::productListing;

namespace {

std::string ansi(const std::string& utf8) {
    return vorn::platform::utf8ToAnsi(utf8);
}
Value text(const std::string& utf8) {
    return ansi(utf8);
}
std::string utf8(std::string_view ansiText) {
    return vorn::platform::ansiToUtf8(ansiText);
}

std::vector<std::string> shown(MemTable& t, std::string_view field) {
    std::vector<std::string> out;
    for (t.first(); !t.eof(); t.next())
        out.push_back(t.isNull(field) ? "<null>" : utf8(t.asString(field)));
    return out;
}

} // namespace

TEST(MemTableFilter, UpperKnowsTheLettersOfWindows1252) {
    struct Case {
        std::string stored, upper; // UTF-8
    };
    const std::vector<Case> cases = {
        {"àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþÿ", "ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞŸ"},
        {"šœž", "ŠŒŽ"},
        {"abc xyz 0123", "ABC XYZ 0123"},
        {"ß µ ÷ ª º € ¿", "ß µ ÷ ª º € ¿"}, // no single upper-case letter in the code page
        {"ÀÇŸ", "ÀÇŸ"},
    };
    for (const Case& c : cases) {
        VectorSource source({{"D", FieldType::Text, 60}}, {{text(c.stored)}});
        MemTable t;
        t.copyFrom(source);
        t.setFiltered(true);
        t.setFilter("UPPER(D) = " + quoteFilterLiteral(ansi(c.upper)));
        EXPECT_EQ(t.recordCount(), 1) << c.stored;
    }
}

TEST(MemTableFilter, LikeWildcards) {
    struct Case {
        const char* pattern;
        const char* value;
        bool matches;
    };
    const std::vector<Case> cases = {
        {"%", "", true},           {"%", "abc", true},        {"", "", true},
        {"", "a", false},          {"abc", "abc", true},      {"abc", "abcd", false},
        {"a%", "abc", true},       {"a%", "ba", false},       {"%c", "abc", true},
        {"%c", "cb", false},       {"%b%", "abc", true},      {"%B%", "abc", false},
        {"a_c", "abc", true},      {"a_c", "abbc", false},    {"a_c", "ac", false},
        {"_", "", false},          {"__", "ab", true},        {"%_%", "", false},
        {"a%c%e", "abcde", true},  {"a%c%e", "abcd", false},  {"a%a", "a", false},
        {"%aa", "aaa", true},      {"%a%a%", "aa", true},     {"_%_", "a", false},
        {"%b_d%", "abcbd", false}, {"%b_d%", "abxbcd", true}, {"%%", "x", true},
        {"%ão%", "feijão", true},  {"%%%a", "ba", true},
    };
    for (const Case& c : cases) {
        VectorSource source({{"T", FieldType::Text, 20}}, {{text(c.value)}, {Value{}}});
        MemTable t;
        t.copyFrom(source);
        t.setFiltered(true);
        const std::string pattern = quoteFilterLiteral(ansi(c.pattern));
        t.setFilter("T LIKE " + pattern);
        EXPECT_EQ(t.recordCount(), c.matches ? 1 : 0) << c.pattern << " / " << c.value;
        t.setFilter("T NOT LIKE " + pattern); // null is neither like nor not like
        EXPECT_EQ(t.recordCount(), c.matches ? 0 : 1) << c.pattern << " / " << c.value;
    }
}

TEST(MemTableFilter, OperatorsPrecedenceNumbersAndNull) {
    VectorSource source({{"A", FieldType::Text, 5},
                         {"B", FieldType::Text, 5},
                         {"N", FieldType::Integer, 0},
                         {"P", FieldType::Currency, 0},
                         {"F", FieldType::Float, 0}},
                        {{text("x"), text("y"), std::int64_t{1}, Currency{15000}, 0.5},
                         {text("x"), text("z"), std::int64_t{2}, Currency{-20000}, 2.0},
                         {text("w"), text("y"), std::int64_t{3}, Value{}, Value{}},
                         {Value{}, text("y"), std::int64_t{4}, Currency{1}, -1.25}});
    MemTable t;
    t.copyFrom(source);
    t.setFiltered(true);
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"A = 'x'", {"1", "2"}},
        {"A <> 'x'", {"3"}}, // null is neither equal nor different
        {"NOT A = 'x'", {"3"}},
        {"NOT (A = 'x')", {"3"}},
        {"A = 'x' OR B = 'y' AND N = 3", {"1", "2", "3"}}, // AND binds first
        {"(A = 'x' OR B = 'y') AND N = 3", {"3"}},
        {"a = 'x' and not b = 'z'", {"1"}}, // keywords and names in any case
        {"((A = 'x'))", {"1", "2"}},
        {"UPPER(A) = 'X'", {"1", "2"}},
        {"A = 'X'", {}},
        {"B = 'y' AND A = A", {"1", "3"}},
        {"A = 'x' OR A <> 'x'", {"1", "2", "3"}},
        {"NOT (A = 'x' AND N = 9)", {"1", "2", "3", "4"}}, // unknown AND false is false
        {"N = 2", {"2"}},
        {"N <> 2", {"1", "3", "4"}},
        {"N = 2.0", {"2"}},
        {"N = 2.5", {}},
        {"P = 1.5", {"1"}},
        {"P = 1.50", {"1"}},
        {"P = -2", {"2"}},
        {"P = 0.0001", {"4"}},
        {"P = 0.00011", {}},
        {"P <> 1.5", {"2", "4"}},
        {"P = N", {}},
        {"F = 0.5", {"1"}},
        {"F = -1.25 OR F = 2", {"2", "4"}},
        {"   ", {"1", "2", "3", "4"}},
    };
    for (const auto& [expr, expected] : cases) {
        t.setFilter(expr);
        EXPECT_EQ(shown(t, "N"), expected) << expr;
    }
}

TEST(MemTableFilter, MalformedExpressionSaysWhatAndWhereAndChangesNothing) {
    struct Case {
        std::string expr;
        std::string says;
        std::size_t at;
    };
    const std::vector<Case> cases = {
        {"DESCRICAO LIKE 'abc", "text literal is not closed", 16},
        {"()", "found ')'", 2},
        {"NOPE = 'x'", "unknown field 'NOPE'", 1},
        {"LOWER(DESCRICAO) = 'x'", "unknown function 'LOWER'", 1},
        {"DESCRICAO =", "found the end of the expression", 12},
        {"(DESCRICAO = 'x'", "expected ')' to close the '(' at position 1", 17},
        {"DESCRICAO = 'x')", "')' has no matching '('", 16},
        {"DESCRICAO = 'x' 'y'", "expected AND, OR or the end", 17},
        {"PRECO LIKE '1%'", "LIKE needs a text on both sides", 7},
        {"UPPER(PRECO) = 'X'", "UPPER needs a text, found a number", 7},
        {"UPPER DESCRICAO", "expected '(' after UPPER", 7},
        {"DESCRICAO = 5", "cannot compare a text with a number", 11},
        {"DESCRICAO", "must be a condition, found a text", 1},
        {"DESCRICAO AND PRECO = 1", "left side of AND must be a condition", 1},
        {"PRECO = 1 OR", "found the end of the expression", 13},
        {"PRECO = 1 # 2", "unexpected character '#'", 11},
        {"PRECO = 1.", "a digit must follow the decimal point", 11},
        {"PRECO == 1", "found '='", 8},
        {"NOT", "found the end of the expression", 4},
        {"(PRECO = 1) = (PRECO = 2)", "compares values, not conditions", 13},
    };
    MemTable t = productListing();
    const std::string good = "UPPER(DESCRICAO) LIKE '%ARROZ%' OR CODIGOBARRAS LIKE '%ARROZ%'";
    t.setFilter(good);
    t.setFiltered(true);
    t.next();
    for (const Case& c : cases) {
        try {
            t.setFilter(c.expr);
            ADD_FAILURE() << c.expr << ": accepted";
        } catch (const FilterError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos)
                << c.expr << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find("position " + std::to_string(c.at)),
                      std::string::npos)
                << c.expr << ": " << e.what();
            EXPECT_EQ(e.position(), c.at) << c.expr;
            EXPECT_EQ(e.category(), ErrorCategory::Statement) << c.expr;
        }
        EXPECT_EQ(t.filter(), good) << c.expr;
        EXPECT_TRUE(t.filtered()) << c.expr;
        EXPECT_EQ(t.recordCount(), 3) << c.expr;
        EXPECT_EQ(t.recNo(), 2) << c.expr;
        EXPECT_EQ(t.asString("DESCRICAO"), ansi("Copo d'água")) << c.expr;
    }
}
