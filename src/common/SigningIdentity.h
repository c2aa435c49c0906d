#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <vector>

namespace vorn::common {

struct X509Free {
    void operator()(X509* p) const { X509_free(p); }
};
struct EvpPkeyFree {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;
using EvpPkeyPtr = std::unique_ptr<EVP_PKEY, EvpPkeyFree>;

// A certificate with its private key and the issuing certificates that came with it, from a PFX
// file or from the certificate store. The key always matches the certificate.
struct SigningIdentity {
    X509Ptr certificate;
    EvpPkeyPtr key;
    std::vector<X509Ptr> chain; // issuers, without the certificate itself

    // The subject's common name (empty when it has none).
    QString commonName() const;
    // The certificate followed by its chain, PEM.
    QByteArray certificatesPem() const;
    // The private key as encrypted PKCS#8 PEM (AES-256-CBC) under the given passphrase.
    QByteArray encryptedKeyPem(const QByteArray& passphrase) const;
};

// The texts of OpenSSL's error queue (most recent last), joined by "; ", and the queue emptied.
QString takeOpenSslErrors();

} // namespace vorn::common
