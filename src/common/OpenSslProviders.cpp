#include "common/OpenSslProviders.h"

#include <mutex>
#include <openssl/err.h>
#include <openssl/provider.h>

namespace vorn::common {

bool ensureLegacyProviders() {
    static std::once_flag once;
    static bool legacyLoaded = false;
    std::call_once(once, [] {
        // The providers stay loaded for the life of the process: other libraries (libcurl's
        // TLS, the PKCS#12 reader) keep using the default context until exit.
        legacyLoaded = OSSL_PROVIDER_load(nullptr, "legacy") != nullptr;
        OSSL_PROVIDER_load(nullptr, "default");
        ERR_clear_error();
    });
    return legacyLoaded;
}

} // namespace vorn::common
