#include "common/SigningIdentity.h"

#include <QStringList>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>

namespace vorn::common {

namespace {

struct BioFree {
    void operator()(BIO* p) const { BIO_free(p); }
};
using BioPtr = std::unique_ptr<BIO, BioFree>;

QByteArray bioBytes(BIO* bio) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return {data, static_cast<qsizetype>(size)};
}

} // namespace

QString SigningIdentity::commonName() const {
    if (!certificate)
        return {};
    const X509_NAME* subject = X509_get_subject_name(certificate.get());
    const int index = X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
    if (index < 0)
        return {};
    const ASN1_STRING* value = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, index));
    unsigned char* utf8 = nullptr;
    const int length = ASN1_STRING_to_UTF8(&utf8, value);
    if (length < 0)
        return {};
    QString name = QString::fromUtf8(reinterpret_cast<const char*>(utf8), length);
    OPENSSL_free(utf8);
    return name;
}

QByteArray SigningIdentity::certificatesPem() const {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || !certificate || PEM_write_bio_X509(bio.get(), certificate.get()) != 1)
        return {};
    for (const X509Ptr& issuer : chain)
        if (PEM_write_bio_X509(bio.get(), issuer.get()) != 1)
            return {};
    return bioBytes(bio.get());
}

QByteArray SigningIdentity::encryptedKeyPem(const QByteArray& passphrase) const {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || !key ||
        PEM_write_bio_PKCS8PrivateKey(bio.get(), key.get(), EVP_aes_256_cbc(),
                                      passphrase.constData(), int(passphrase.size()), nullptr,
                                      nullptr) != 1)
        return {};
    return bioBytes(bio.get());
}

QString takeOpenSslErrors() {
    QStringList texts;
    while (const unsigned long code = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof buffer);
        texts << QString::fromUtf8(buffer);
    }
    return texts.join(QStringLiteral("; "));
}

} // namespace vorn::common
