#include "common/CmsSigner.h"

#include <memory>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/ess.h>

namespace vorn::common {

namespace {

struct CmsFree {
    void operator()(CMS_ContentInfo* p) const { CMS_ContentInfo_free(p); }
};
struct BioFree {
    void operator()(BIO* p) const { BIO_free(p); }
};
struct EssV2Free {
    void operator()(ESS_SIGNING_CERT_V2* p) const { ESS_SIGNING_CERT_V2_free(p); }
};

QString failure(const char* step) {
    return QStringLiteral("%1: %2").arg(QString::fromUtf8(step), takeOpenSslErrors());
}

// The signingCertificateV2 attribute: the SHA-256 hash of the signer's certificate with its
// issuer and serial number.
bool addSigningCertificateV2(CMS_SignerInfo* signer, X509* certificate) {
    std::unique_ptr<ESS_SIGNING_CERT_V2, EssV2Free> ess(
        OSSL_ESS_signing_cert_v2_new_init(EVP_sha256(), certificate, nullptr, 1));
    if (!ess)
        return false;
    unsigned char* der = nullptr;
    const int length = i2d_ESS_SIGNING_CERT_V2(ess.get(), &der);
    if (length <= 0)
        return false;
    const int added = CMS_signed_add1_attr_by_NID(signer, NID_id_smime_aa_signingCertificateV2,
                                                  V_ASN1_SEQUENCE, der, length);
    OPENSSL_free(der);
    return added == 1;
}

} // namespace

QByteArray signDetachedCms(const SigningIdentity& identity, const QByteArray& content,
                           QString& error) {
    ERR_clear_error();
    constexpr unsigned flags = CMS_DETACHED | CMS_BINARY | CMS_PARTIAL | CMS_NOSMIMECAP;
    std::unique_ptr<CMS_ContentInfo, CmsFree> cms(
        CMS_sign(nullptr, nullptr, nullptr, nullptr, flags));
    if (!cms) {
        error = failure("Falha ao iniciar a assinatura CMS");
        return {};
    }
    CMS_SignerInfo* signer = CMS_add1_signer(cms.get(), identity.certificate.get(),
                                             identity.key.get(), EVP_sha256(), flags);
    if (signer == nullptr || !addSigningCertificateV2(signer, identity.certificate.get())) {
        error = failure("Falha ao incluir o signatário");
        return {};
    }
    for (const X509Ptr& issuer : identity.chain)
        if (CMS_add1_cert(cms.get(), issuer.get()) != 1) {
            error = failure("Falha ao incluir a cadeia do certificado");
            return {};
        }
    std::unique_ptr<BIO, BioFree> data(BIO_new_mem_buf(content.constData(), int(content.size())));
    if (!data || CMS_final(cms.get(), data.get(), nullptr, flags) != 1) {
        error = failure("Falha ao assinar");
        return {};
    }
    unsigned char* der = nullptr;
    const int length = i2d_CMS_ContentInfo(cms.get(), &der);
    if (length <= 0) {
        error = failure("Falha ao codificar a assinatura");
        return {};
    }
    QByteArray result(reinterpret_cast<const char*>(der), length);
    OPENSSL_free(der);
    return result;
}

} // namespace vorn::common
