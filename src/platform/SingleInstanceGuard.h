#pragma once

// The single-instance guard: one server per user session. Taking the guard is an exclusive,
// non-blocking flock() on the file "<name>.lock" in the user's runtime folder, held through an open
// descriptor for as long as the guard object holds it. The kernel drops the lock when the last
// descriptor closes, so a crashed or killed instance never blocks the next start, and nothing
// needs cleaning up after it.
//
// The lock file itself is never deleted: deleting it while another process waits on the same file
// would let a third process lock a new file of the same name, and two instances would run.
//
// The name is used exactly as given: the caller makes it (see GuardName.h, which turns the ASCII
// letters to upper case so that file names differing only in their case share one guard).
//
// User-interface thread only, like the rest of the program entry.

#include <QString>

namespace vorn::platform {

// The folder of this user's guard files: $XDG_RUNTIME_DIR when it names an existing folder owned
// by this user, else the private folder "vorn-<uid>" under /tmp (see privateRuntimeFolder). Empty
// when neither can be used.
QString runtimeFolder();

// The rule of runtimeFolder() with its inputs spelled out: `xdgRuntimeDir` is the value of
// $XDG_RUNTIME_DIR (empty when unset), `fallbackBase` the shared folder that holds the private one.
QString chooseRuntimeFolder(const QString& xdgRuntimeDir, const QString& fallbackBase);

// The private folder "vorn-<uid>" under `base`, created with mode 0700 when missing. Under a
// shared /tmp anybody may create that name first, so it is used only when it is a real folder
// (not a symbolic link) owned by this user; its mode is then set back to 0700. Empty otherwise.
QString privateRuntimeFolder(const QString& base);

class SingleInstanceGuard {
public:
    SingleInstanceGuard() = default;
    ~SingleInstanceGuard() { release(); }
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard(SingleInstanceGuard&& other) noexcept;
    SingleInstanceGuard& operator=(SingleInstanceGuard&& other) noexcept;

    // Takes the guard `name`: true when this object now holds it, false when another holder has
    // it (another process, or another guard object of this process) or it cannot be taken at all
    // (no usable runtime folder, a name that is not a plain file name, a lock file that is not
    // ours). The caller treats both failures alike, as an instance already running. A guard that
    // already holds a name gives it up first.
    bool tryAcquire(const QString& name);

    // Gives the guard up; nothing happens when it holds nothing.
    void release() noexcept;

    bool isHeld() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace vorn::platform
