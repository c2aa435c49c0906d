#pragma once

// Windows-style wildcard masks for file names, as the directory searches of the file utilities
// use them. The rules:
//   - "*" matches any run of characters (none included), "?" exactly one character;
//   - "*" and "*.*" match every name, names without a dot included;
//   - a mask ending in ".*" also matches the name without that dot ("nota.*" matches "nota");
//   - a mask ending in a single "." matches only names without a dot ("*." matches "LEIAME",
//     not "nota.txt");
//   - letters are compared without regard to case, as Windows does.

#include <QString>

namespace vorn::common {

bool wildcardMatches(const QString& name, const QString& mask);

} // namespace vorn::common
