#pragma once

// api.ChilKat: the service class TChilKat. Of its operations this system uses the RC2 seal of the
// branch/price-table record kept in ZedorErurav.ini (Config/Dados); the cipher is OpenSSL 3's RC2
// from its legacy provider. See docs/settings-seal.md for the seal's rules.

#include <QString>
#include <QStringList>

namespace vorn::common {

// The fixed IV and key texts (hexadecimal) of the sealed branch/price-table record, the same for
// every installation. Records already stored in shops' settings files were sealed with them.
inline constexpr char kRecordSealIv[] = "7E3B91C05A4FD826";
inline constexpr char kRecordSealKey[] =
    "A95E07D3B1C4F28E6D0B93A7C5E1F4D28B6A0C97E3D5F1B4A8C2E6D09B7F3A51C7";
static_assert(sizeof kRecordSealIv - 1 == 16, "the IV is one 8-byte RC2 block");
static_assert(sizeof kRecordSealKey - 1 == 66, "the key text holds 33 bytes");

class TChilKat {
public:
    TChilKat();

    // Last error text written by an operation; never cleared by an operation itself.
    QString FErro;
    // File paths or patterns for the zip operations, filled by the caller.
    QStringList FListaArquivos;

    // Empties FErro and FListaArquivos.
    void ZeraVariaveis();

    // RC2 seal (VEncripta true) or unseal (false) of VValor: CBC mode, PKCS#5 padding, key length
    // and effective key length 128 bits, IV from the hex text VIv (8 bytes).
    //
    // The key: VSenha is decoded from hexadecimal and its FIRST 16 BYTES are the 128-bit RC2 key;
    // any bytes after them are ignored (a key length of 128 bits takes the first 128 bits of what
    // the caller gives). The record key kRecordSealKey holds 33 bytes, so only its first 32 hex
    // digits count. Records already stored in shops' files read back only under this rule: do not
    // change it.
    //
    // Sealing: VValor is taken as Windows-1252 bytes; the result is upper-case hex. Unsealing:
    // VValor is hex of either case; the result is the plain text read as Windows-1252. Any failure
    // (a key or IV that is not hex or too short, a sealed text that is not hex or has an odd or
    // wrong length, bad padding) returns the empty text and leaves its reason in FErro; it never
    // throws.
    QString EncriptaDecritaRC2(bool VEncripta, const QString& VValor, const QString& VIv,
                               const QString& VSenha);
};

} // namespace vorn::common
