#include "common/ApiChilKat.h"

#include "platform/Codepage.h"

#include <QDir>

#include <memory>
#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/provider.h>
#include <optional>

namespace vorn::common {

namespace {

constexpr int kRc2BlockBytes = 8;
constexpr size_t kRc2KeyBytes = 16; // key length 128 bits
constexpr size_t kRc2EffectiveBits = 128;

struct LibCtxFree {
    void operator()(OSSL_LIB_CTX* p) const { OSSL_LIB_CTX_free(p); }
};
struct ProviderUnload {
    void operator()(OSSL_PROVIDER* p) const { OSSL_PROVIDER_unload(p); }
};
struct CipherFree {
    void operator()(EVP_CIPHER* p) const { EVP_CIPHER_free(p); }
};
struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* p) const { EVP_CIPHER_CTX_free(p); }
};

// RC2 lives in OpenSSL's legacy provider. It is loaded once, into a library context of its own
// together with the default provider, so the rest of the process (TLS, hashes) keeps OpenSSL's
// ordinary default context untouched.
class Rc2Provider {
public:
    Rc2Provider() {
        context_.reset(OSSL_LIB_CTX_new());
        if (!context_)
            return;
        legacy_.reset(OSSL_PROVIDER_load(context_.get(), "legacy"));
        default_.reset(OSSL_PROVIDER_load(context_.get(), "default"));
        if (legacy_)
            cipher_.reset(EVP_CIPHER_fetch(context_.get(), "RC2-CBC", nullptr));
        ERR_clear_error();
    }
    // Null when OpenSSL's legacy provider is not installed.
    const EVP_CIPHER* cipher() const { return cipher_.get(); }

private:
    // Declared in the order they must be released in reverse.
    std::unique_ptr<OSSL_LIB_CTX, LibCtxFree> context_;
    std::unique_ptr<OSSL_PROVIDER, ProviderUnload> legacy_;
    std::unique_ptr<OSSL_PROVIDER, ProviderUnload> default_;
    std::unique_ptr<EVP_CIPHER, CipherFree> cipher_;
};

const EVP_CIPHER* rc2Cbc() {
    static const Rc2Provider provider; // thread-safe, once per process
    return provider.cipher();
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Bytes of a hex text of either case; nothing for an odd length or a non-hex character.
std::optional<QByteArray> fromHex(const QString& text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    QByteArray bytes(text.size() / 2, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int high = hexDigit(text[2 * i]);
        const int low = hexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes[i] = static_cast<char>(high * 16 + low);
    }
    return bytes;
}

const unsigned char* uchars(const QByteArray& bytes) {
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

// RC2-CBC with PKCS#5 padding; nothing when OpenSSL refuses (for decryption: bad padding).
std::optional<QByteArray> rc2(bool encrypt, const QByteArray& input, const QByteArray& key,
                              const QByteArray& iv) {
    const EVP_CIPHER* cipher = rc2Cbc();
    if (cipher == nullptr)
        return std::nullopt;
    std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree> ctx(EVP_CIPHER_CTX_new());
    if (!ctx)
        return std::nullopt;
    size_t keyLength = kRc2KeyBytes;
    size_t effectiveBits = kRc2EffectiveBits;
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_size_t(OSSL_CIPHER_PARAM_KEYLEN, &keyLength),
        OSSL_PARAM_construct_size_t(OSSL_CIPHER_PARAM_RC2_KEYBITS, &effectiveBits),
        OSSL_PARAM_construct_end()};
    QByteArray output(input.size() + kRc2BlockBytes, '\0');
    auto* out = reinterpret_cast<unsigned char*>(output.data());
    int written = 0;
    int last = 0;
    const bool ok =
        EVP_CipherInit_ex2(ctx.get(), cipher, nullptr, nullptr, encrypt ? 1 : 0, nullptr) == 1 &&
        EVP_CIPHER_CTX_set_params(ctx.get(), params) == 1 &&
        EVP_CipherInit_ex2(ctx.get(), nullptr, uchars(key), uchars(iv), encrypt ? 1 : 0, nullptr) ==
            1 &&
        EVP_CIPHER_CTX_set_padding(ctx.get(), 1) == 1 &&
        EVP_CipherUpdate(ctx.get(), out, &written, uchars(input), int(input.size())) == 1 &&
        EVP_CipherFinal_ex(ctx.get(), out + written, &last) == 1;
    ERR_clear_error();
    if (!ok)
        return std::nullopt;
    output.truncate(written + last);
    return output;
}

} // namespace

TChilKat::TChilKat()
    : FRepositorioCertificados(QStringLiteral("sql:") + QDir::homePath() +
                               QStringLiteral("/.pki/nssdb")) {
    ZeraVariaveis();
}

void TChilKat::ZeraVariaveis() {
    FErro.clear();
    FListaArquivos.clear();
}

QString TChilKat::EncriptaDecritaRC2(bool VEncripta, const QString& VValor, const QString& VIv,
                                     const QString& VSenha) {
    auto falha = [this](const QString& motivo) {
        FErro = motivo;
        return QString();
    };
    if (rc2Cbc() == nullptr)
        return falha(QStringLiteral("A cifra RC2 não está disponível (provedor legacy do "
                                    "OpenSSL não encontrado)."));
    const std::optional<QByteArray> iv = fromHex(VIv);
    if (!iv || iv->size() != kRc2BlockBytes)
        return falha(QStringLiteral("O vetor de inicialização deve ter 16 dígitos "
                                    "hexadecimais."));
    const std::optional<QByteArray> senha = fromHex(VSenha);
    if (!senha || senha->size() < qsizetype(kRc2KeyBytes))
        return falha(QStringLiteral("A chave deve ter ao menos 32 dígitos hexadecimais."));
    // Key rule: the first 16 bytes of the decoded key text are the key; the rest is ignored.
    const QByteArray chave = senha->first(kRc2KeyBytes);

    if (VEncripta) {
        const std::optional<QByteArray> selado = rc2(true, platform::toAnsi(VValor), chave, *iv);
        if (!selado)
            return falha(QStringLiteral("Não foi possível cifrar o texto."));
        return QString::fromLatin1(selado->toHex()).toUpper();
    }

    const std::optional<QByteArray> selado = fromHex(VValor);
    if (!selado || selado->isEmpty() || selado->size() % kRc2BlockBytes != 0)
        return falha(QStringLiteral("O texto cifrado não é um hexadecimal de blocos completos."));
    const std::optional<QByteArray> aberto = rc2(false, *selado, chave, *iv);
    if (!aberto)
        return falha(QStringLiteral("Não foi possível decifrar o texto (chave ou dados "
                                    "inválidos)."));
    return platform::fromAnsi(*aberto);
}

} // namespace vorn::common
