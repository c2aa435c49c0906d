#pragma once

// Clean stop on SIGTERM, SIGINT and SIGHUP: the way a headless server is stopped (a service
// manager, kill, Ctrl-C in a terminal, the end of the terminal session or SSH connection it was
// started from). A SIGHUP that was ignored when the object was made (nohup) stays ignored. The
// signal handler itself only writes one byte to a pipe; the read end is watched by a
// QSocketNotifier, so the callback runs later on the user-interface thread, from the event loop,
// where it may do anything (release the guard, QApplication::quit()).
//
// A signal that comes while an earlier one is still waiting for the event loop means the loop is
// not running (the program hangs, or has not reached its loop yet): that second signal ends the
// process at once with the signal's default action, so a stuck server can still be stopped with
// a second Ctrl-C. The kernel drops the single-instance lock with the process either way.

#include <functional>
#include <memory>

namespace vorn::platform {

// While it exists, SIGTERM, SIGINT and SIGHUP each call `onQuit` once, from the event loop of the
// thread that created the object (the user-interface thread; a QCoreApplication must exist).
// `onQuit` must not throw. Destroying the object puts back the handlers that were there before.
// Only one may exist at a time: creating a second one throws std::logic_error.
class QuitSignals {
public:
    explicit QuitSignals(std::function<void()> onQuit);
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The same, for a caller that keeps it in a pointer.
[[nodiscard]] std::unique_ptr<QuitSignals> installQuitSignals(std::function<void()> onQuit);

} // namespace vorn::platform
