// TChilKatHttp: the caller's HTTP client, one libcurl handle with a bound client certificate.

#include "common/ApiChilKat.h"

#include "common/OpenSslProviders.h"
#include "common/Pkcs12File.h"
#include "common/SigningIdentity.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <curl/curl.h>
#include <mutex>
#include <openssl/ssl.h>

namespace vorn::common {

namespace {

// An answer larger than this is refused rather than held in memory.
constexpr size_t kMaxBodyBytes = 64u << 20;
constexpr std::int32_t kDefaultTimeoutMs = 60000;
constexpr long kConnectTimeoutMs = 15000;

struct CurlCleanup {
    void operator()(CURL* p) const { curl_easy_cleanup(p); }
};

void ensureCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Body {
    QByteArray bytes;
    bool tooLarge = false;
};

size_t collect(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<Body*>(user);
    const size_t bytes = size * count;
    if (body->bytes.size() + bytes > kMaxBodyBytes) {
        body->tooLarge = true;
        return 0;
    }
    body->bytes.append(data, qsizetype(bytes));
    return bytes;
}

// Puts the bound certificate, key and chain into the TLS context of each new connection.
CURLcode useIdentity(CURL*, void* context, void* user) {
    auto* ssl = static_cast<SSL_CTX*>(context);
    const auto* identity = static_cast<const SigningIdentity*>(user);
    if (SSL_CTX_use_certificate(ssl, identity->certificate.get()) != 1 ||
        SSL_CTX_use_PrivateKey(ssl, identity->key.get()) != 1)
        return CURLE_SSL_CERTPROBLEM;
    for (const X509Ptr& issuer : identity->chain)
        if (SSL_CTX_add1_chain_cert(ssl, issuer.get()) != 1)
            return CURLE_SSL_CERTPROBLEM;
    return CURLE_OK;
}

QString decode(const QByteArray& bytes, const char* contentType) {
    static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*\"?([^\";\\s]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (contentType != nullptr) {
        const QRegularExpressionMatch match = charset.match(QString::fromLatin1(contentType));
        if (match.hasMatch()) {
            QStringDecoder decoder(match.captured(1).toLatin1().constData());
            if (decoder.isValid())
                return decoder.decode(bytes);
        }
    }
    return QString::fromUtf8(bytes);
}

SigningIdentity copyOf(const SigningIdentity& identity) {
    SigningIdentity copy;
    if (identity.certificate && X509_up_ref(identity.certificate.get()) == 1)
        copy.certificate.reset(identity.certificate.get());
    if (identity.key && EVP_PKEY_up_ref(identity.key.get()) == 1)
        copy.key.reset(identity.key.get());
    for (const X509Ptr& issuer : identity.chain)
        if (X509_up_ref(issuer.get()) == 1)
            copy.chain.emplace_back(issuer.get());
    return copy;
}

} // namespace

struct TChilKatHttp::State {
    std::unique_ptr<CURL, CurlCleanup> curl;
    std::unique_ptr<SigningIdentity> identity;
    QByteArray caFile;
    std::int32_t timeoutMs = kDefaultTimeoutMs;
    QString lastError;
};

TChilKatHttp::TChilKatHttp() : state_(std::make_unique<State>()) {
    ensureCurl();
    ensureLegacyProviders();
    state_->curl.reset(curl_easy_init());
}

TChilKatHttp::~TChilKatHttp() = default;

QString TChilKatHttp::LastErrorText() const {
    return state_->lastError;
}

void TChilKatHttp::SetCaFile(const QString& pemPath) {
    state_->caFile = pemPath.toLocal8Bit();
}

void TChilKatHttp::SetTimeoutMs(std::int32_t milliseconds) {
    state_->timeoutMs = milliseconds;
}

bool TChilKatHttp::SetSslClientCertPfx(const QString& pfxPath, const QString& password) {
    QString error;
    std::optional<SigningIdentity> identity = loadPkcs12(pfxPath, password, error);
    if (!identity) {
        state_->lastError = error;
        return false;
    }
    state_->identity = std::make_unique<SigningIdentity>(std::move(*identity));
    return true;
}

bool TChilKatHttp::SetSslClientCert(const SigningIdentity& identity) {
    if (!identity.certificate || !identity.key ||
        X509_check_private_key(identity.certificate.get(), identity.key.get()) != 1) {
        state_->lastError = QStringLiteral("O certificado não tem a sua chave privada.");
        return false;
    }
    state_->identity = std::make_unique<SigningIdentity>(copyOf(identity));
    return true;
}

QString TChilKatHttp::QuickGetStr(const QString& url) {
    CURL* curl = state_->curl.get();
    if (curl == nullptr) {
        state_->lastError = QStringLiteral("A biblioteca de HTTP não pôde ser iniciada.");
        return {};
    }
    state_->lastError.clear();
    curl_easy_reset(curl);
    const QByteArray address = url.toUtf8();
    Body body;
    char detail[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(state_->timeoutMs));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     std::min<long>(kConnectTimeoutMs, state_->timeoutMs));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!state_->caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, state_->caFile.constData());
    if (state_->identity) {
        curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, useIdentity);
        curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, state_->identity.get());
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);

    const CURLcode result = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    if (body.tooLarge) {
        state_->lastError = QStringLiteral("A resposta passa de %1 MB.").arg(kMaxBodyBytes >> 20);
        return {};
    }
    if (result != CURLE_OK) {
        state_->lastError = QStringLiteral("%1 (%2)").arg(
            QString::fromUtf8(*detail ? detail : curl_easy_strerror(result)),
            QString::fromUtf8(curl_easy_strerror(result)));
        return {};
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400) {
        state_->lastError =
            QStringLiteral("O servidor respondeu com o código HTTP %1.").arg(status);
        return {};
    }
    char* contentType = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &contentType);
    QString text = decode(body.bytes, contentType);
    if (text.isEmpty())
        state_->lastError =
            QStringLiteral("O servidor respondeu sem conteúdo (código HTTP %1).").arg(status);
    return text;
}

} // namespace vorn::common
