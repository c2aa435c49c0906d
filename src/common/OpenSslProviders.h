#pragma once

namespace vorn::common {

// Loads OpenSSL's "legacy" and "default" providers into the process's default library context,
// once. PKCS#12 files encrypted the older way (RC2-40, 3DES: what many Windows tools and
// certificate authorities still export) can only be read with the legacy provider present, and
// libcurl and the PKCS#12 parser both use the default context. Loading any provider explicitly
// switches off OpenSSL's automatic loading of "default", so both are loaded. Returns false when
// the legacy provider is not installed (modern PKCS#12 files still work then).
bool ensureLegacyProviders();

} // namespace vorn::common
