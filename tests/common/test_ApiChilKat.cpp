#include "common/ApiChilKat.h"
#include "common/uFuncPubl.h"

#include <gtest/gtest.h>
#include <memory>
#include <openssl/evp.h>

using namespace vorn::common;

namespace {

const QString kIv = QString::fromLatin1(kRecordSealIv);
const QString kKey = QString::fromLatin1(kRecordSealKey);

QString seal(const QString& plain, const QString& key = kKey) {
    TChilKat chilkat;
    return chilkat.EncriptaDecritaRC2(true, plain, kIv, key);
}

QString unseal(const QString& sealed) {
    TChilKat chilkat;
    return chilkat.EncriptaDecritaRC2(false, sealed, kIv, kKey);
}

// RFC 2268, section 5: key 88bca90e90875a7f0f79c384627bafb2 with an effective key length of 128
// bits turns the zero block into 2269552ab0f85ca6. With a zero IV the first CBC block is that
// single-block encryption; the second block is the PKCS#5 padding.
TEST(TChilKatRc2, MatchesTheRfc2268VectorFor128EffectiveBits) {
    TChilKat chilkat;
    for (const char* key :
         {"88bca90e90875a7f0f79c384627bafb2", "88BCA90E90875A7F0F79C384627BAFB2"}) {
        const QString sealed =
            chilkat.EncriptaDecritaRC2(true, QString(8, QChar(0)), "0000000000000000", key);
        ASSERT_EQ(sealed.size(), 32) << chilkat.FErro.toStdString();
        EXPECT_EQ(sealed.first(16), "2269552AB0F85CA6");
    }
}

// The record key holds 33 bytes; only its first 16 are the key. The expected text was sealed
// independently with the OpenSSL command line:
//   printf 123450010050005 | openssl enc -rc2-cbc -K A95E07D3B1C4F28E6D0B93A7C5E1F4D2
//       -iv 7E3B91C05A4FD826 -provider legacy -provider default | xxd -p
TEST(TChilKatRc2, SealsARecordWithTheFirst16BytesOfTheKey) {
    EXPECT_EQ(seal("123450010050005"), "531D953E9AABF600959CB604D9EDC35E");
    EXPECT_EQ(seal("987650010050005"), "1F3B6E509549AB97C21082B144BA21A1");
    EXPECT_EQ(unseal("531d953e9aabf600959cb604d9edc35e"), "123450010050005");

    // Bytes after the 16th do not count; the 16th does.
    const QString record = "000010010050005";
    EXPECT_EQ(seal(record, kKey.first(32)), seal(record));
    EXPECT_EQ(seal(record, kKey.first(32) + "00"), seal(record));
    QString changed16th = kKey;
    changed16th[31] = changed16th[31] == u'0' ? u'1' : u'0';
    EXPECT_NE(seal(record, changed16th), seal(record));
}

TEST(TChilKatRc2, RecordsOf15DigitsRoundTripAs32UpperCaseHexDigits) {
    for (int i = 0; i < 200; ++i) {
        const QString record = DigitosAleatorios(5) + ZeroLeft(QString::number(i % 999 + 1), 3) +
                               ZeroLeft(QString::number(i * 7 % 999 + 1), 3) +
                               ZeroLeft(QString::number(i * 7 % 999 + 1), 4);
        const QString sealed = seal(record);
        ASSERT_EQ(sealed.size(), 32) << record.toStdString();
        for (const QChar c : sealed)
            ASSERT_TRUE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))
                << sealed.toStdString();
        EXPECT_EQ(unseal(sealed), record);
        EXPECT_EQ(unseal(sealed.toLower()), record);
    }
    // Any Windows-1252 text, and the empty one (a block of padding only).
    for (const QString& plain : {QString(), QString::fromUtf8("Pão de açúcar € 16 bytes long!!")})
        EXPECT_EQ(unseal(seal(plain)), plain);
}

// A record edited by hand or sealed with another key gives the empty text, never an exception.
TEST(TChilKatRc2, TamperedRecordsGiveTheEmptyTextAndAReason) {
    const QString good = seal("123450010050005");
    QString badPadding = good;
    badPadding[31] = badPadding[31] == u'0' ? u'1' : u'0';
    const QString tampered[] = {
        "",
        "XYZ",
        good.first(31),        // odd length
        good.first(30),        // 15 bytes: not whole blocks
        good + "00",           // 17 bytes
        good.first(30) + "G0", // not hex
        good.first(16),        // one block, wrong padding
        badPadding,            // last block changed: padding broken
        QString(32, u'F'),
        " " + good,
        QString::fromUtf8("531D953E9AABF600959CB604D9EDC3É"),
    };
    for (const QString& text : tampered) {
        TChilKat chilkat;
        QString plain = "not run";
        EXPECT_NO_THROW(plain = chilkat.EncriptaDecritaRC2(false, text, kIv, kKey));
        EXPECT_EQ(plain, "") << text.toStdString();
        EXPECT_FALSE(chilkat.FErro.isEmpty()) << text.toStdString();
    }
    // A changed first block still unpads: the result is meaningless, but it comes back safely.
    QString firstBlock = good;
    firstBlock[0] = firstBlock[0] == u'0' ? u'1' : u'0';
    EXPECT_NE(unseal(firstBlock), "123450010050005");
}

TEST(TChilKatRc2, BadKeyOrIvGivesTheEmptyTextAndAReason) {
    const struct {
        const char* iv;
        const char* key;
    } cases[] = {
        {"7E3B91C05A4FD8", kRecordSealKey},                   // IV of 7 bytes
        {"7E3B91C05A4FD82600", kRecordSealKey},               // IV of 9 bytes
        {"7E3B91C05A4FD82Z", kRecordSealKey},                 // IV not hex
        {kRecordSealIv, "A95E07D3B1C4F28E6D0B93A7C5E1F4"},    // key of 15 bytes
        {kRecordSealIv, "A95E07D3B1C4F28E6D0B93A7C5E1F4D28"}, // odd length
        {kRecordSealIv, "A95E07D3B1C4F28E6D0B93A7C5E1F4DX"},  // not hex
        {kRecordSealIv, ""},
    };
    for (const auto& c : cases) {
        for (const bool encrypt : {true, false}) {
            TChilKat chilkat;
            EXPECT_EQ(chilkat.EncriptaDecritaRC2(encrypt, encrypt ? "1" : seal("1"), c.iv, c.key),
                      "")
                << c.iv << " " << c.key;
            EXPECT_FALSE(chilkat.FErro.isEmpty());
        }
    }
}

TEST(TChilKat, ZeraVariaveisEmptiesTheFieldsWhichOperationsNeverClear) {
    TChilKat chilkat;
    chilkat.FListaArquivos << "/tmp/a.txt";
    EXPECT_EQ(chilkat.EncriptaDecritaRC2(false, "XYZ", kIv, kKey), "");
    const QString error = chilkat.FErro;
    ASSERT_FALSE(error.isEmpty());
    EXPECT_EQ(chilkat.EncriptaDecritaRC2(true, "1", kIv, kKey).size(), 16);
    EXPECT_EQ(chilkat.FErro, error); // a later success leaves the last error in place
    chilkat.ZeraVariaveis();
    EXPECT_TRUE(chilkat.FErro.isEmpty());
    EXPECT_TRUE(chilkat.FListaArquivos.isEmpty());
}

// Loading the legacy provider for RC2 must not take the default provider away from the rest of
// the process.
TEST(TChilKat, TheDefaultCiphersStayAvailableAfterSealing) {
    ASSERT_EQ(seal("1").size(), 16);
    struct CipherFree {
        void operator()(EVP_CIPHER* p) const { EVP_CIPHER_free(p); }
    };
    std::unique_ptr<EVP_CIPHER, CipherFree> aes(EVP_CIPHER_fetch(nullptr, "AES-256-GCM", nullptr));
    EXPECT_NE(aes, nullptr);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EXPECT_EQ(EVP_Digest("abc", 3, digest, &length, EVP_sha256(), nullptr), 1);
    EXPECT_EQ(length, 32u);
}

} // namespace
