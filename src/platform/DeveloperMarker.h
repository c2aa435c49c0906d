#pragma once

// The developer-machine marker: an INI file at a fixed place whose Geral/chaveIdent value marks
// the machine as a developer's. On such a machine the program folder is the fixed folder below
// instead of the executable's folder.

#include <QString>

namespace vorn::platform {

inline constexpr char kDeveloperMarkerFile[] = "/opt/DevTaluma/MicroDesenvolvimento.ini";
inline constexpr char kDeveloperProgramFolder[] = "/opt/SistemaVORN/";

// The marker file in use: kDeveloperMarkerFile unless a test pointed it elsewhere.
QString developerMarkerFile();

// Test seam: while it exists, developerMarkerFile() is `path`. Nests; user-interface thread only.
class ScopedDeveloperMarkerFile {
public:
    explicit ScopedDeveloperMarkerFile(const QString& path);
    ~ScopedDeveloperMarkerFile();
    ScopedDeveloperMarkerFile(const ScopedDeveloperMarkerFile&) = delete;
    ScopedDeveloperMarkerFile& operator=(const ScopedDeveloperMarkerFile&) = delete;

private:
    QString previous_;
};

} // namespace vorn::platform
