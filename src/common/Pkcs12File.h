#pragma once

#include "common/SigningIdentity.h"

#include <QString>
#include <optional>

namespace vorn::common {

// Reads a PFX (PKCS#12) file: its certificate, private key and issuers. Files of both the
// current format (AES, PBKDF2) and the older RC2-40 / 3DES one are read. Nothing, with the reason
// in `error`, when the file is missing or unreadable, is not PKCS#12, the password is wrong, or
// the file holds no private key or no matching certificate.
std::optional<SigningIdentity> loadPkcs12(const QString& path, const QString& password,
                                          QString& error);

} // namespace vorn::common
