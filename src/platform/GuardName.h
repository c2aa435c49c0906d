#pragma once

// The name of the single-instance guard: the file name of the running program (its last path
// component, extension included, folder excluded) with only the ASCII letters a to z turned to
// upper case; every other character, accented letters included, stays as it is. Two copies of
// the program under the same file name therefore share one guard, whatever their folders.

#include <QString>

namespace vorn::platform {

// The guard name of the program file at `programPath`.
QString guardNameOf(const QString& programPath);

// The full path of the running program's file (/proc/self/exe), empty when it cannot be read.
QString runningProgramPath();

// The guard name of the running program.
QString guardName();

} // namespace vorn::platform
