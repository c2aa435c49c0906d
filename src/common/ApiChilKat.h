#pragma once

// api.ChilKat: the service class TChilKat. Of its operations this system uses the RC2 seal of the
// branch/price-table record kept in ZedorErurav.ini (Config/Dados); the cipher is OpenSSL 3's RC2
// from its legacy provider. See docs/settings-seal.md for the seal's rules.
//
// The other operations (zip, PDF and Authenticode signing, Base64, HTTP with a client
// certificate) are built on libzip, PoDoFo, OpenSSL, osslsigncode, NSS and libcurl; they live in
// the library vorn_common_services, which a program links only when it calls them. The RC2 seal
// and ZeraVariaveis are in vorn_common.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace vorn::common {

// The fixed IV and key texts (hexadecimal) of the sealed branch/price-table record, the same for
// every installation. Records already stored in shops' settings files were sealed with them.
inline constexpr char kRecordSealIv[] = "7E3B91C05A4FD826";
inline constexpr char kRecordSealKey[] =
    "A95E07D3B1C4F28E6D0B93A7C5E1F4D28B6A0C97E3D5F1B4A8C2E6D09B7F3A51C7";
static_assert(sizeof kRecordSealIv - 1 == 16, "the IV is one 8-byte RC2 block");
static_assert(sizeof kRecordSealKey - 1 == 66, "the key text holds 33 bytes");

struct SigningIdentity;

// The caller's HTTP client: one libcurl handle and the client certificate bound to it. Owned by
// the caller and handed to TChilKat::VinculaCertificadoHttp and TChilKat::GeHttp. TLS peers are
// always verified (against the system's authorities unless SetCaFile names others).
class TChilKatHttp {
public:
    TChilKatHttp();
    ~TChilKatHttp();
    TChilKatHttp(const TChilKatHttp&) = delete;
    TChilKatHttp& operator=(const TChilKatHttp&) = delete;

    // Binds the client certificate of a PFX file. The file is read and checked now, so a wrong
    // password or file fails here and not at the first request.
    bool SetSslClientCertPfx(const QString& pfxPath, const QString& password);
    // Binds a certificate with its key (from the certificate store).
    bool SetSslClientCert(const SigningIdentity& identity);
    // The body of the answer to a GET of `url`, decoded by the charset the server names (UTF-8
    // when it names none). Empty on any failure (connection, TLS, HTTP status 400 or above, time
    // limit), with the reason in LastErrorText(); an empty body also leaves a reason there.
    QString QuickGetStr(const QString& url);
    QString LastErrorText() const;

    // Authorities that verify servers, PEM; empty for the system's.
    void SetCaFile(const QString& pemPath);
    // Whole-request time limit; a server that never answers fails after it.
    void SetTimeoutMs(std::int32_t milliseconds);

private:
    struct State;
    std::unique_ptr<State> state_;
};

class TChilKat {
public:
    TChilKat();

    // Last error text written by an operation; never cleared by an operation itself.
    QString FErro;
    // File paths or patterns for the zip operations, filled by the caller.
    QStringList FListaArquivos;
    // RFC 3161 time-stamping authority used by AssinaExe_Dll.
    QString FUrlCarimboTempo = QStringLiteral("http://timestamp.digicert.com");
    // The address shown after "Valide em " on a PDF signature.
    QString FUrlValidacao = QStringLiteral("https://validar.iti.gov.br");
    // The certificate store searched by common name when no PFX file is given: an NSS database
    // ("sql:" + folder). Default: the user's, sql:$HOME/.pki/nssdb.
    QString FRepositorioCertificados;

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

    // The certificate, wherever a method takes VCNCert/VArqCert/VSenhaCert: with VArqCert empty,
    // the store certificate whose subject common name is exactly VCNCert (with its private key
    // in the store); otherwise the PFX file VArqCert opened with VSenhaCert.
    //
    // No operation below leaves a partial output file: each writes beside its target and renames
    // at the end. Errors go to FErro or VErro as each method says; neither is cleared on entry.

    // Zips the files (or patterns, not recursive) of FListaArquivos, in order, into
    // VArqZipFinal, each under its own name. A non-empty VSenha encrypts with the traditional
    // PKWARE method. An empty list writes a valid empty archive. Failure: reason in FErro.
    bool ZipFiles(const QString& VArqZipFinal, const QString& VSenha);
    // As ZipFiles for the pattern VPasta + "*" (VPasta must end with "/" to name the folder's
    // contents): the regular files lying directly in the folder.
    bool ZipDirectory(const QString& VArqZipFinal, const QString& VPasta, const QString& VSenha);

    // Signs VArqOrigem into VArqFinal (an incremental update: earlier signatures stay valid) on
    // its last page. Visible at (VX, VY) with size VW x VH points, or invisible. Appearance: the
    // green check on the left, or the JPEG VArqMarcaDagua centred at 30 % opacity, and the lines
    // "Assinado digitalmente por", VCNCert, the signing time, "Valide em " + FUrlValidacao. CMS:
    // SHA-256, detached, with signingCertificateV2 and signingTime. Errors: loading the PDF,
    // store certificate, signing -> FErro; JPEG, PFX -> VErro.
    bool AssinaPDF(const QString& VArqOrigem, const QString& VArqFinal, const QString& VCNCert,
                   const QString& VArqCert, const QString& VSenhaCert,
                   const QString& VArqMarcaDagua, std::int32_t VX, std::int32_t VY, std::int32_t VH,
                   std::int32_t VW, QString& VErro, bool VAssinaturaInvisivel);

    // Authenticode (SHA-256, RFC 3161 time stamp from FUrlCarimboTempo) of VArqOrigem signed in
    // place when VArqFinal equals it, else of a copy at VArqFinal. Errors: store certificate ->
    // FErro; PFX, copying, signing -> VErro. A copy whose signing failed is removed.
    bool AssinaExe_Dll(const QString& VArqOrigem, const QString& VArqFinal, const QString& VCNCert,
                       const QString& VArqCert, const QString& VSenhaCert, QString& VErro);

    // The whole file in standard Base64. Failure to read: FErro.
    bool PDFToBase64(const QString& VArquivo, QString& VBase64);

    // Binds a client certificate to VHttp: the PFX VArqPFX opened with VPass, or with VArqPFX
    // empty the store certificate named VCN. The certificate is read and checked now.
    bool VinculaCertificadoHttp(TChilKatHttp& VHttp, const QString& VArqPFX, const QString& VPass,
                                const QString& VCN);
    // VRequest := body of a GET of VURL through VHttp. An empty body is a failure (FErro).
    bool GeHttp(TChilKatHttp& VHttp, const QString& VURL, QString& VRequest);
};

} // namespace vorn::common
