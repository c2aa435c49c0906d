#include "common/NumberPattern.h"

#include <gtest/gtest.h>

using vorn::common::Decimal;
using vorn::common::formatNumberPattern;
using vorn::common::formatPrice;

namespace {
const QLocale kBrazil(QLocale::Portuguese, QLocale::Brazil);
const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);
} // namespace

TEST(PriceText, MaskUnderBothRegionalSettings) {
    struct Case {
        std::int64_t scaled;
        const char* brazil;
        const char* us;
    } cases[] = {
        {12345000, "R$ 1.234,50", "R$ 1,234.50"},
        {0, "R$ 0,00", "R$ 0.00"},
        {23450, "R$ 2,35", "R$ 2.35"}, // half a cent rounds up on the exact amount
        {23449, "R$ 2,34", "R$ 2.34"},
        {50, "R$ 0,01", "R$ 0.01"}, // 0.005
        {49, "R$ 0,00", "R$ 0.00"},
        {99999, "R$ 10,00", "R$ 10.00"}, // rounding carries into the integer part
        {9999999950, "R$ 1.000.000,00", "R$ 1,000,000.00"},
        {-23450, "-R$ 2,35", "-R$ 2.35"}, // half away from zero for negatives too
        {-40, "R$ 0,00", "R$ 0.00"},      // rounds to zero: no minus sign
        {INT64_MAX, "R$ 922.337.203.685.477,58", "R$ 922,337,203,685,477.58"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatPrice(c.scaled, kBrazil).toStdString(), c.brazil) << c.scaled;
        EXPECT_EQ(formatPrice(c.scaled, kUnitedStates).toStdString(), c.us) << c.scaled;
    }
}

TEST(NumberPattern, PlaceholdersLiteralsAndSections) {
    struct Case {
        const char* pattern;
        double value;
        const char* expected; // United States separators
    } cases[] = {
        {"00000", 42, "00042"},
        {"#", 0, ""},
        {"0.##", 1, "1"},
        {"0.##", 1.5, "1.5"},
        {"0.0#", 1.256, "1.26"},
        {"#,##0", 1234567, "1,234,567"},
        {"###-###", 12, "-12"},
        {"000-000", 12, "000-012"},
        {"'#'0 \"kg\"", 7, "#7 kg"},
        {"0.00;(0.00)", -3.5, "(3.50)"},
        {"0.00;(0.00);'zero'", 0.001, "zero"},
        {"#,##0.000", 2.0005, "2.001"}, // the double 2.0005 is read as its shortest text
        {"0.00", 1e21, "1000000000000000000000.00"},
        {"0.0000", 1.5e-7, "0.0000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatNumberPattern(c.pattern, Decimal::fromDouble(c.value), kUnitedStates)
                      .toStdString(),
                  c.expected)
            << c.pattern << " " << c.value;
    }
}

TEST(NumberPattern, ShortestDecimalOfADouble) {
    const Decimal d = Decimal::fromDouble(2.345);
    EXPECT_EQ(d.digits, "2345");
    EXPECT_EQ(d.scale, 3);
    EXPECT_FALSE(Decimal::fromDouble(-0.0).negative);
    EXPECT_EQ(formatNumberPattern("0.00", Decimal::fromDouble(2.345), kBrazil), "2,35");
}
