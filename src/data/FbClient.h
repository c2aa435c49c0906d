#pragma once

// The Firebird client library (fbclient), loaded at run time. The program folder's own
// libfbclient.so.2 wins when present (the shop ships the client that matches its server);
// otherwise the system's is used. A library once loaded stays for the life of the process:
// fbclient registers exit handlers of its own and cannot be unloaded safely.

#include <QString>

namespace Firebird {
class IMaster;
class IProvider;
class IUtil;
} // namespace Firebird

namespace vorn::data {

class FbClient {
public:
    // The library to use for `vendorLibrary`: that file when it exists; else, when it is empty,
    // the program folder's libfbclient.so.2 when that exists; else the system's
    // libfbclient.so.2. Throws DatabaseError with the loader's message when the chosen file
    // cannot be loaded or is not a Firebird 3 client.
    static FbClient& load(const QString& vendorLibrary);

    FbClient(const FbClient&) = delete;
    FbClient& operator=(const FbClient&) = delete;

    Firebird::IMaster* master() const { return master_; }
    Firebird::IProvider* provider() const { return provider_; }
    Firebird::IUtil* util() const { return util_; }
    // The file that was loaded (a path, or the bare name the system's loader resolved).
    const QString& path() const { return path_; }

    // Only load() creates clients.
    class Key {
        Key() = default;
        friend struct FbClientRegistry;
    };
    FbClient(Key, QString path, void* handle, Firebird::IMaster* master);

private:
    QString path_;
    void* handle_ = nullptr;
    Firebird::IMaster* master_ = nullptr;
    Firebird::IProvider* provider_ = nullptr;
    Firebird::IUtil* util_ = nullptr;
};

} // namespace vorn::data
