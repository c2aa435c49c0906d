#include "platform/ProgramFolder.h"

namespace vorn::platform {

QString programFolder() {
    const QString file = programFilePath();
    const qsizetype slash = file.lastIndexOf(u'/');
    if (slash < 0)
        return {};
    return file.left(slash + 1);
}

} // namespace vorn::platform
