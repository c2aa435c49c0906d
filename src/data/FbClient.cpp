#include "data/FbClient.h"

#include "data/DatabaseError.h"
#include "platform/ProgramFolder.h"

#include <QFileInfo>
#include <dlfcn.h>
#include <firebird/Interface.h>
#include <map>
#include <memory>
#include <mutex>

namespace vorn::data {

namespace {

const char* const kClientName = "libfbclient.so.2";

QString chooseLibrary(const QString& vendorLibrary) {
    if (!vendorLibrary.isEmpty()) {
        if (QFileInfo::exists(vendorLibrary))
            return vendorLibrary;
    } else {
        const QString folder = platform::programFolder();
        if (!folder.isEmpty() && QFileInfo::exists(folder + QLatin1String(kClientName)))
            return folder + QLatin1String(kClientName);
    }
    return QString::fromLatin1(kClientName);
}

} // namespace

struct FbClientRegistry {
    std::mutex mutex;
    std::map<QString, std::unique_ptr<FbClient>> loaded;

    FbClient& get(const QString& path) {
        std::lock_guard lock(mutex);
        auto it = loaded.find(path);
        if (it != loaded.end())
            return *it->second;
        const QByteArray file = path.toLocal8Bit();
        void* handle = dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* why = dlerror();
            throw DatabaseError("Cannot load the Firebird client library " + path.toStdString() +
                                    ": " + (why != nullptr ? why : "unknown error"),
                                ErrorCategory::Usage);
        }
        using GetMaster = Firebird::IMaster* (*)();
        auto getMaster = reinterpret_cast<GetMaster>(dlsym(handle, "fb_get_master_interface"));
        if (getMaster == nullptr) {
            dlclose(handle);
            throw DatabaseError(path.toStdString() +
                                    " is not a Firebird 3 client library (fb_get_master_interface "
                                    "is missing)",
                                ErrorCategory::Usage);
        }
        auto client = std::make_unique<FbClient>(FbClient::Key(), path, handle, getMaster());
        return *loaded.emplace(path, std::move(client)).first->second;
    }
};

namespace {
FbClientRegistry& registry() {
    // Destroying it at exit neither unloads a library nor releases its interfaces.
    static FbClientRegistry instance;
    return instance;
}
} // namespace

FbClient::FbClient(Key, QString path, void* handle, Firebird::IMaster* master)
    : path_(std::move(path)), handle_(handle), master_(master), provider_(master->getDispatcher()),
      util_(master->getUtilInterface()) {}

FbClient& FbClient::load(const QString& vendorLibrary) {
    return registry().get(chooseLibrary(vendorLibrary));
}

} // namespace vorn::data
