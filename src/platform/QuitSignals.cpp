#include "platform/QuitSignals.h"

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace vorn::platform {

namespace {

// Shared with the signal handler; lock-free atomics are safe to use there.
std::atomic<int> gWriteFd{-1};
std::atomic<bool> gPending{false};
std::atomic<bool> gInstalled{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

// SIGHUP is what the processes of a closing terminal session or SSH connection get: it ends the
// program as cleanly as SIGTERM does, not at once.
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A program started with SIGHUP ignored (nohup, a service manager) was asked to outlive its
// session: that choice is kept.
bool keepsItsHandler(int signo, const struct sigaction& previous) {
    return signo == SIGHUP && previous.sa_handler == SIG_IGN;
}

extern "C" void onQuitSignal(int signo) {
    const int savedErrno = errno;
    if (gPending.exchange(true)) {
        // The previous signal is still unread: the event loop is not running. Let this one end
        // the process; it is delivered when this handler returns.
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        ::sigaction(signo, &fallback, nullptr);
        ::raise(signo);
    } else {
        const auto byte = static_cast<unsigned char>(signo);
        [[maybe_unused]] const ssize_t written = ::write(gWriteFd.load(), &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

struct QuitSignals::State {
    int readFd = -1;
    int writeFd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    std::function<void()> onQuit;
    struct sigaction previous[std::size(kSignals)]{};
    bool handlersSet = false;

    ~State() {
        if (handlersSet)
            for (std::size_t i = 0; i < std::size(kSignals); ++i)
                ::sigaction(kSignals[i], &previous[i], nullptr);
        gWriteFd = -1;
        gPending = false;
        notifier.reset();
        if (readFd >= 0)
            ::close(readFd);
        if (writeFd >= 0)
            ::close(writeFd);
        gInstalled = false;
    }

    void drainAndCall() {
        unsigned char buffer[16];
        while (::read(readFd, buffer, sizeof buffer) > 0) {
        }
        gPending = false;
        if (onQuit)
            onQuit();
    }
};

QuitSignals::QuitSignals(std::function<void()> onQuit) {
    if (gInstalled.exchange(true))
        throw std::logic_error("the quit signals are already installed");
    // From here on the state's destructor undoes whatever was done, also when this throws.
    state_ = std::make_unique<State>();
    state_->onQuit = std::move(onQuit);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        const int error = errno;
        state_.reset();
        throw std::runtime_error(std::string("cannot create the signal pipe: ") +
                                 std::strerror(error));
    }
    state_->readFd = fds[0];
    state_->writeFd = fds[1];
    gWriteFd = fds[1];
    gPending = false;

    state_->notifier = std::make_unique<QSocketNotifier>(state_->readFd, QSocketNotifier::Read);
    QObject::connect(state_->notifier.get(), &QSocketNotifier::activated, state_->notifier.get(),
                     [state = state_.get()] { state->drainAndCall(); });

    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    for (int signo : kSignals)
        sigaddset(&action.sa_mask, signo);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], nullptr, &state_->previous[i]);
        if (!keepsItsHandler(kSignals[i], state_->previous[i]))
            ::sigaction(kSignals[i], &action, nullptr);
    }
    state_->handlersSet = true;
}

QuitSignals::~QuitSignals() = default;

std::unique_ptr<QuitSignals> installQuitSignals(std::function<void()> onQuit) {
    return std::make_unique<QuitSignals>(std::move(onQuit));
}

} // namespace vorn::platform
