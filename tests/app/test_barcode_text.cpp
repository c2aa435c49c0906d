#include "app/Administrador.h"
#include "app/BarcodeText.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>

using vorn::app::NormalizaCodigoBarras;
using vorn::app::PreencheBuffer;

TEST(NormalizaCodigoBarras, LineBreaksGoEverywhereBlanksOnlyAtTheEnds) {
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"7891000100011\r\n", "7891000100011"},
        {"78910\r\n00100011", "7891000100011"},
        {"  \t0012 34\x01", "0012 34"},
        {" \r\n\t \x1f", ""},
        {"", ""},
        {"AbC", "AbC"},
        {"\xE7\xE3o", "\xE7\xE3o"}, // bytes above 127 are kept
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormalizaCodigoBarras(c.in), c.out) << c.in;
}

TEST(PreencheBuffer, ZeroFilledWindows1252CutAtTheMaximum) {
    std::array<char, 101> buffer;
    buffer.fill('x');
    PreencheBuffer(QStringLiteral("AÇÚCAR"), buffer.data(), 100);
    EXPECT_EQ(std::string(buffer.data()), "A\xC7\xDA"
                                          "CAR");
    EXPECT_TRUE(std::all_of(buffer.begin() + 6, buffer.end(), [](char c) { return c == 0; }));

    // 99 letters and "É - UN": the unit is cut at byte 100 and the buffer stays terminated.
    const QString longText = QString(99, u'A') + QStringLiteral("É - UN");
    buffer.fill('x');
    PreencheBuffer(longText, buffer.data(), 100);
    EXPECT_EQ(std::string(buffer.data()), std::string(99, 'A') + "\xC9");
    EXPECT_EQ(buffer[100], '\0');
}

TEST(SenhaDeAdministrador, OnlyAnActiveAdministratorsExactPasswordMatches) {
    using vorn::app::SenhaDeAdministradorConfere;
    struct Case {
        const char* administrador;
        const char* pass;
        const char* digitada;
        bool confere;
    } cases[] = {
        {"S", "YWRtaW4xMjM=", "admin123", true},
        {"S", "YWRtaW4xMjM=", "ADMIN123", false}, // case counts
        {"s", "YWRtaW4xMjM=", "admin123", false}, // the flag must be exactly S
        {"N", "YWRtaW4xMjM=", "admin123", false},
        {"S", "w6fDo2/DiSE=", "çãoÉ!", true}, // UTF-8 bytes
        {"S", "admin123", "admin123", false}, // not Base64: no match, no error
        {"S", "YWRt*W4xMjM=", "admin123", false},
        {"S", "", "", true}, // the dialog never lets "" through
    };
    for (const Case& c : cases)
        EXPECT_EQ(SenhaDeAdministradorConfere(c.administrador, QString::fromUtf8(c.pass),
                                              QString::fromUtf8(c.digitada)),
                  c.confere)
            << c.administrador << " " << c.pass << " " << c.digitada;
}
