#pragma once

// Number formatting with display patterns of the form the operator's screens and the terminals
// use ("R$ #,##0.00", "###,##0.000", "00000", "0.##;(0.##);zero"):
//   0   a digit, always shown (zero-padded)
//   #   a digit, shown only when significant
//   .   the decimal separator (the locale's); the first one counts
//   ,   anywhere among the integer placeholders: group thousands (the locale's separator)
//   'x' or "x"  quoted literal text; any other character is literal text too
//   ;   separates sections: positive;negative;zero
// The amount is an exact decimal, rounded half away from zero to the pattern's decimals, so a
// binary double's representation error never changes the last digit shown.

#include <QLocale>
#include <QString>
#include <cstdint>
#include <string>

namespace vorn::common {

// An exact decimal number: value = (negative ? -1 : 1) * digits * 10^-scale.
struct Decimal {
    bool negative = false;
    std::string digits = "0"; // decimal digits, most significant first
    int scale = 0;            // how many of `digits` are decimals

    static Decimal fromScaled(std::int64_t scaled, int scale);
    // The shortest decimal text that reads back as the same double (2.345 stays 2.345).
    static Decimal fromDouble(double value);
};

QString formatNumberPattern(const QString& pattern, const Decimal& value, const QLocale& locale);

// The price text sent to the terminals: "R$ #,##0.00" for an amount in ten-thousandths.
inline constexpr const char* kPriceMask = "R$ #,##0.00";
QString formatPrice(std::int64_t scaledBy10000, const QLocale& locale);

} // namespace vorn::common
