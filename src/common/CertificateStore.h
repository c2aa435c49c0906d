#pragma once

#include "common/SigningIdentity.h"

#include <QString>
#include <optional>

namespace vorn::common {

// The certificate store is an NSS shared database ("sql:" + folder; the user's is
// sql:$HOME/.pki/nssdb, where the desktop's browsers keep their client certificates).
//
// The certificate of the store whose subject common name equals `commonName` exactly and whose
// private key is in the store, with the key and the issuers the store knows. The key leaves NSS
// encrypted under a throw-away passphrase and is decrypted by OpenSSL, so it is never in the
// clear outside the two libraries. Nothing, with the reason in `error`, when the store cannot be
// opened, no certificate has that name, or none of those that do has its key there.
std::optional<SigningIdentity> loadFromStoreByCommonName(const QString& store,
                                                         const QString& commonName, QString& error);

} // namespace vorn::common
