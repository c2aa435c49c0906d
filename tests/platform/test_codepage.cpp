#include "platform/Codepage.h"

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
