#include "platform/DeveloperMarker.h"

namespace vorn::platform {

namespace {

QString& markerOverride() {
    static QString path;
    return path;
}

} // namespace

QString developerMarkerFile() {
    const QString& path = markerOverride();
    return path.isEmpty() ? QString::fromLatin1(kDeveloperMarkerFile) : path;
}

ScopedDeveloperMarkerFile::ScopedDeveloperMarkerFile(const QString& path)
    : previous_(markerOverride()) {
    markerOverride() = path;
}

ScopedDeveloperMarkerFile::~ScopedDeveloperMarkerFile() {
    markerOverride() = previous_;
}

} // namespace vorn::platform
