#include "common/CertificateStore.h"

#include <QRandomGenerator>
#include <memory>
#include <openssl/err.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>

#include <cert.h>
#include <keyhi.h>
#include <nss.h>
#include <pk11pub.h>
#include <prerror.h>
#include <secasn1.h>
#include <secerr.h>

namespace vorn::common {

namespace {

struct NssContextShutdown {
    void operator()(NSSInitContext* p) const { NSS_ShutdownContext(p); }
};
struct CertListFree {
    void operator()(CERTCertList* p) const { CERT_DestroyCertList(p); }
};
struct PrivateKeyFree {
    void operator()(SECKEYPrivateKey* p) const { SECKEY_DestroyPrivateKey(p); }
};
struct SlotFree {
    void operator()(PK11SlotInfo* p) const { PK11_FreeSlot(p); }
};
struct EncryptedKeyFree {
    void operator()(SECKEYEncryptedPrivateKeyInfo* p) const {
        SECKEY_DestroyEncryptedPrivateKeyInfo(p, PR_TRUE);
    }
};
struct SecItemFree {
    void operator()(SECItem* p) const { SECITEM_FreeItem(p, PR_TRUE); }
};
struct X509SigFree {
    void operator()(X509_SIG* p) const { X509_SIG_free(p); }
};
struct Pkcs8Free {
    void operator()(PKCS8_PRIV_KEY_INFO* p) const { PKCS8_PRIV_KEY_INFO_free(p); }
};

QString nssError() {
    const PRErrorCode code = PR_GetError();
    const char* name = PR_ErrorToName(code);
    const char* text = PR_ErrorToString(code, PR_LANGUAGE_I_DEFAULT);
    return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(text ? text : "erro desconhecido"),
                                         QString::fromLatin1(name ? name : "?"));
}

X509Ptr toOpenSsl(const CERTCertificate* certificate) {
    const auto* cursor = static_cast<const unsigned char*>(certificate->derCert.data);
    return X509Ptr(d2i_X509(nullptr, &cursor, long(certificate->derCert.len)));
}

QString commonNameOf(CERTCertificate* certificate) {
    char* name = CERT_GetCommonName(&certificate->subject);
    if (name == nullptr)
        return {};
    QString text = QString::fromUtf8(name);
    PORT_Free(name);
    return text;
}

// The private key, exported from NSS encrypted with PBES2 / AES-256-CBC / HMAC-SHA256 under a
// random passphrase and decrypted again by OpenSSL. NSS refuses to export a key in the clear.
EvpPkeyPtr exportKey(SECKEYPrivateKey* key, QString& error) {
    QByteArray passphrase(32, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(passphrase.data()),
                                          passphrase.size() / 4);
    passphrase = passphrase.toHex();
    SECItem secret{siBuffer, reinterpret_cast<unsigned char*>(passphrase.data()),
                   unsigned(passphrase.size())};
    std::unique_ptr<PK11SlotInfo, SlotFree> slot(PK11_GetSlotFromPrivateKey(key));
    std::unique_ptr<SECKEYEncryptedPrivateKeyInfo, EncryptedKeyFree> encrypted(
        PK11_ExportEncryptedPrivKeyInfoV2(slot.get(), SEC_OID_PKCS5_PBES2, SEC_OID_AES_256_CBC,
                                          SEC_OID_HMAC_SHA256, &secret, key, 10000, nullptr));
    if (!encrypted) {
        error = QStringLiteral("O repositório não permitiu exportar a chave privada: %1")
                    .arg(nssError());
        return nullptr;
    }
    std::unique_ptr<SECItem, SecItemFree> der(SEC_ASN1EncodeItem(
        nullptr, nullptr, encrypted.get(), SEC_ASN1_GET(SECKEY_EncryptedPrivateKeyInfoTemplate)));
    if (!der) {
        error = QStringLiteral("Falha ao codificar a chave privada: %1").arg(nssError());
        return nullptr;
    }
    const auto* cursor = static_cast<const unsigned char*>(der->data);
    std::unique_ptr<X509_SIG, X509SigFree> sig(d2i_X509_SIG(nullptr, &cursor, long(der->len)));
    std::unique_ptr<PKCS8_PRIV_KEY_INFO, Pkcs8Free> info(
        sig ? PKCS8_decrypt(sig.get(), passphrase.constData(), int(passphrase.size())) : nullptr);
    EvpPkeyPtr result(info ? EVP_PKCS82PKEY(info.get()) : nullptr);
    if (!result)
        error =
            QStringLiteral("Falha ao ler a chave privada exportada: %1").arg(takeOpenSslErrors());
    return result;
}

} // namespace

std::optional<SigningIdentity>
loadFromStoreByCommonName(const QString& store, const QString& commonName, QString& error) {
    const QByteArray directory = store.toUtf8();
    std::unique_ptr<NSSInitContext, NssContextShutdown> context(NSS_InitContext(
        directory.constData(), "", "", "", nullptr,
        NSS_INIT_READONLY | NSS_INIT_NOROOTINIT | NSS_INIT_NOMODDB | NSS_INIT_OPTIMIZESPACE));
    if (!context) {
        error = QStringLiteral("Não foi possível abrir o repositório de certificados %1: %2")
                    .arg(store, nssError());
        return std::nullopt;
    }
    std::unique_ptr<CERTCertList, CertListFree> certificates(
        PK11_ListCerts(PK11CertListAll, nullptr));
    bool foundWithoutKey = false;
    if (certificates) {
        for (CERTCertListNode* node = CERT_LIST_HEAD(certificates.get());
             !CERT_LIST_END(node, certificates.get()); node = CERT_LIST_NEXT(node)) {
            if (commonNameOf(node->cert) != commonName)
                continue;
            std::unique_ptr<SECKEYPrivateKey, PrivateKeyFree> nssKey(
                PK11_FindKeyByAnyCert(node->cert, nullptr));
            if (!nssKey) {
                foundWithoutKey = true;
                continue;
            }
            SigningIdentity identity;
            identity.certificate = toOpenSsl(node->cert);
            identity.key = exportKey(nssKey.get(), error);
            if (!identity.key || !identity.certificate)
                return std::nullopt;
            if (X509_check_private_key(identity.certificate.get(), identity.key.get()) != 1) {
                ERR_clear_error();
                error = QStringLiteral("A chave privada do repositório não corresponde ao "
                                       "certificado \"%1\".")
                            .arg(commonName);
                return std::nullopt;
            }
            std::unique_ptr<CERTCertList, CertListFree> chain(
                CERT_GetCertChainFromCert(node->cert, PR_Now(), certUsageAnyCA));
            if (chain)
                for (CERTCertListNode* link = CERT_LIST_HEAD(chain.get());
                     !CERT_LIST_END(link, chain.get()); link = CERT_LIST_NEXT(link))
                    if (!CERT_CompareCerts(link->cert, node->cert))
                        if (X509Ptr issuer = toOpenSsl(link->cert))
                            identity.chain.push_back(std::move(issuer));
            return identity;
        }
    }
    error = foundWithoutKey
                ? QStringLiteral("O certificado \"%1\" está no repositório sem a chave privada.")
                      .arg(commonName)
                : QStringLiteral("Nenhum certificado com o nome comum \"%1\" no repositório %2.")
                      .arg(commonName, store);
    return std::nullopt;
}

} // namespace vorn::common
