#pragma once

#include "common/SigningIdentity.h"

#include <QByteArray>
#include <QString>

namespace vorn::common {

// A detached CMS (PKCS#7) signature of `content`, DER: SHA-256 digest, the signer's certificate
// and chain included, and the signed attributes contentType, messageDigest, signingTime and
// signingCertificateV2 (which binds the signature to that very certificate, as PAdES asks).
// Empty, with the reason in `error`, when OpenSSL refuses.
QByteArray signDetachedCms(const SigningIdentity& identity, const QByteArray& content,
                           QString& error);

} // namespace vorn::common
