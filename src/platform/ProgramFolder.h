#pragma once

// The program folder: the folder of the running program's file, where its settings files live.

#include "platform/GuardName.h"

#include <QString>

namespace vorn::platform {

// The full path of the running program's file, symbolic links resolved (/proc/self/exe); empty
// when it cannot be read. The same as runningProgramPath() of GuardName.h.
inline QString programFilePath() {
    return runningProgramPath();
}

// The folder of programFilePath(), ending in "/"; empty when the path cannot be read.
QString programFolder();

} // namespace vorn::platform
