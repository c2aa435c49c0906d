#pragma once

// Runs a check as the unprivileged user "nobody" when the tests run as root (as in CI), where no
// permission bit keeps a file from being read or written.

#include <functional>

namespace vorn::test {

// Runs `check` in a child process as "nobody" when this process is root, else in this process;
// its result is the check's (false when the child could not drop its privileges).
bool asUnprivilegedUser(const std::function<bool()>& check);

} // namespace vorn::test
