#include "platform/Codepage.h"
#include "platform/CodepageCollation.h"

#include <gtest/gtest.h>

using namespace vorn::platform;

TEST(Codepage, AccentedPortugueseRoundTripsThroughWindows1252) {
    const QString text = QString::fromUtf8("Pão de açúcar ÇÃÕÉ €");
    const QByteArray ansi = toAnsi(text);
    EXPECT_EQ(ansi, QByteArray("P\xE3o de a\xE7\xFA"
                               "car \xC7\xC3\xD5\xC9 \x80"));
    EXPECT_EQ(fromAnsi(ansi), text);
}

TEST(Codepage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(toAnsi(QString::fromUtf8("a☃b😀c")), QByteArray("a?b?c"));
    EXPECT_EQ(utf8ToAnsi("Ω"), "?");
}

TEST(Codepage, EveryByteMapsToAUnicodeCharacterAndBack) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        EXPECT_EQ(unicodeToAnsi(ansiToUnicode(byte)), byte) << "byte " << b;
    }
    EXPECT_EQ(ansiToUtf8("\x80\x9F"), "€Ÿ");
}

TEST(CodepageCollation, UpperCaseKnowsTheLettersOfWindows1252) {
    struct Case {
        const char* lower;
        const char* upper; // UTF-8
    };
    const Case cases[] = {
        {"àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþÿ", "ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞŸ"},
        {"šœž", "ŠŒŽ"},
        {"abc xyz 0123", "ABC XYZ 0123"},
        {"ß µ ÷ ª º € ¿", "ß µ ÷ ª º € ¿"}, // no single upper-case letter in the code page
        {"ÀÇŸ", "ÀÇŸ"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(upperAnsi(utf8ToAnsi(c.lower)), utf8ToAnsi(c.upper)) << c.lower;
        const std::string lower = utf8ToAnsi(c.lower);
        for (std::size_t k = 0; k < lower.size(); ++k)
            EXPECT_EQ(upperAnsi(static_cast<unsigned char>(lower[k])),
                      static_cast<unsigned char>(utf8ToAnsi(c.upper)[k]))
                << c.lower << " at " << k;
    }
}

TEST(CodepageCollation, LettersSortByTheirBaseLetterThenByteForByte) {
    // Each text sorts before the next one.
    const char* const ordered[] = {
        "",  "1", "A", "a", "Á",  "á", "AB", "ab", "Ação", "Acaso",
        "B", "C", "Ç", "ç", "Cz", "É", "Z",  "Ž",  "~",
    };
    for (std::size_t k = 0; k + 1 < std::size(ordered); ++k) {
        const std::string a = utf8ToAnsi(ordered[k]), b = utf8ToAnsi(ordered[k + 1]);
        EXPECT_LT(collateAnsi(a, b), 0) << ordered[k] << " < " << ordered[k + 1];
        EXPECT_GT(collateAnsi(b, a), 0) << ordered[k + 1] << " > " << ordered[k];
        EXPECT_EQ(collateAnsi(a, a), 0) << ordered[k];
    }
    EXPECT_EQ(collationWeights()[static_cast<unsigned char>(utf8ToAnsi("ã")[0])], 'A');
    EXPECT_EQ(collationWeights()[static_cast<unsigned char>(utf8ToAnsi("ç")[0])], 'C');
}
