#include "common/Pkcs12File.h"

#include "common/OpenSslProviders.h"

#include <QFile>
#include <openssl/err.h>
#include <openssl/pkcs12.h>

namespace vorn::common {

namespace {

struct Pkcs12Free {
    void operator()(PKCS12* p) const { PKCS12_free(p); }
};
struct X509StackFree {
    void operator()(STACK_OF(X509) * p) const { sk_X509_pop_free(p, X509_free); }
};

// Anything over this is not a certificate file; it is refused before it is read into memory.
constexpr qint64 kMaxPfxBytes = 1 << 20;

} // namespace

std::optional<SigningIdentity> loadPkcs12(const QString& path, const QString& password,
                                          QString& error) {
    ensureLegacyProviders();
    ERR_clear_error();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Não foi possível abrir o arquivo do certificado %1: %2")
                    .arg(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > kMaxPfxBytes) {
        error =
            QStringLiteral("O arquivo %1 é grande demais para ser um certificado PFX.").arg(path);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    const auto* cursor = reinterpret_cast<const unsigned char*>(bytes.constData());
    std::unique_ptr<PKCS12, Pkcs12Free> pkcs12(d2i_PKCS12(nullptr, &cursor, long(bytes.size())));
    if (!pkcs12) {
        ERR_clear_error();
        error = QStringLiteral("O arquivo %1 não é um certificado PFX (PKCS#12) válido.").arg(path);
        return std::nullopt;
    }
    const QByteArray secret = password.toUtf8();
    // A file exported "without a password" may have been protected with an empty one or with
    // none at all; both are tried for an empty password, as PKCS12_parse does.
    const bool macMatches =
        !PKCS12_mac_present(pkcs12.get()) ||
        PKCS12_verify_mac(pkcs12.get(), secret.constData(), int(secret.size())) == 1 ||
        (secret.isEmpty() && PKCS12_verify_mac(pkcs12.get(), nullptr, 0) == 1);
    if (!macMatches) {
        const QString detail = takeOpenSslErrors();
        error = QStringLiteral("Senha do certificado %1 incorreta (%2).").arg(path, detail);
        return std::nullopt;
    }
    EVP_PKEY* key = nullptr;
    X509* certificate = nullptr;
    STACK_OF(X509)* issuers = nullptr;
    if (PKCS12_parse(pkcs12.get(), secret.constData(), &key, &certificate, &issuers) != 1) {
        error = QStringLiteral("Não foi possível ler o certificado %1: %2")
                    .arg(path, takeOpenSslErrors());
        return std::nullopt;
    }
    SigningIdentity identity;
    identity.key.reset(key);
    identity.certificate.reset(certificate);
    std::unique_ptr<STACK_OF(X509), X509StackFree> chain(issuers);
    if (chain)
        while (X509* issuer = sk_X509_shift(chain.get()))
            identity.chain.emplace_back(issuer);
    if (!identity.key) {
        error = QStringLiteral("O certificado %1 não contém a chave privada.").arg(path);
        return std::nullopt;
    }
    if (!identity.certificate) {
        error = QStringLiteral("O arquivo %1 não contém o certificado da chave privada.").arg(path);
        return std::nullopt;
    }
    ERR_clear_error();
    return identity;
}

} // namespace vorn::common
