#include "common/SealedRecord.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace vorn::common;

TEST(SealedRecord, PlainRecordLayoutAndReadBack) {
    const QString plain = MontaRegistroFilialTabela(1, 5);
    ASSERT_EQ(plain.size(), 15);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{5}0010050005$")).match(plain).hasMatch())
        << plain.toStdString();
    const QString sealed = SelaRegistro(plain);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{32}$")).match(sealed).hasMatch());
    const auto codes = LeCodigosRegistro(AbreRegistro(sealed));
    EXPECT_EQ(codes.filial, 1);
    EXPECT_EQ(codes.tabela, 5);
}

TEST(SealedRecord, UnreadableRecordsGiveZeroCodes) {
    struct Case {
        const char* plain;
        int filial;
        int tabela;
    } cases[] = {
        {"", 0, 0},
        {"12345", 0, 0},
        {"12345abc0050005", 0, 5},
        {"12345999998", 999, 998}, // the last four digits are never read
        {"123450070000000", 7, 0},
    };
    for (const Case& c : cases) {
        const auto codes = LeCodigosRegistro(QString::fromLatin1(c.plain));
        EXPECT_EQ(codes.filial, c.filial) << c.plain;
        EXPECT_EQ(codes.tabela, c.tabela) << c.plain;
    }
    EXPECT_EQ(AbreRegistro(QStringLiteral("not a sealed record")), QString());
}
