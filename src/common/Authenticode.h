#pragma once

#include "common/SigningIdentity.h"

#include <QString>

namespace vorn::common {

// Signs a Windows executable or library (PE file) in place with Authenticode: SHA-256 digest and
// an RFC 3161 time stamp from `timestampUrl`, by running Debian's `osslsigncode` as a process.
//
// The certificate chain and the private key are handed to it through files in a private
// temporary folder (mode 0700; the key encrypted under a random passphrase that goes through a
// file too, never on the command line), removed on every path. The signed copy is written beside
// `target` and renamed over it only when signing succeeded, so a failure leaves `target` as it
// was. False with the reason (osslsigncode's own messages included) in `error`.
bool signAuthenticode(const QString& target, const SigningIdentity& identity,
                      const QString& timestampUrl, QString& error, int timeoutMs = 120000);

} // namespace vorn::common
