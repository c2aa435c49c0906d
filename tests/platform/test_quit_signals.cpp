#include "platform/QuitSignals.h"
#include "platform/SingleInstanceGuard.h"

#include "platform/EntryProbe.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QTest>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <stdexcept>

using vorn::platform::QuitSignals;
using vorn::platform::SingleInstanceGuard;
using vorn::test::EntryProbe;
using vorn::test::ScopedEnv;
using vorn::test::TempDir;

namespace {

void (*currentHandler(int signo))(int) {
    struct sigaction action {};
    ::sigaction(signo, nullptr, &action);
    return action.sa_handler;
}

} // namespace

TEST(QuitSignals, EachSignalCallsBackOnceFromTheEventLoopNotFromTheHandler) {
    // The hangup as in a session, also when this test runs under nohup.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    struct sigaction savedHup {};
    ::sigaction(SIGHUP, &byDefault, &savedHup);
    int calls = 0;
    auto quitSignals = vorn::platform::installQuitSignals([&] { ++calls; });
    for (const int signo : {SIGTERM, SIGINT, SIGHUP, SIGTERM}) {
        SCOPED_TRACE(signo);
        const int before = calls;
        ASSERT_EQ(::raise(signo), 0);
        EXPECT_EQ(calls, before) << "the callback must wait for the event loop";
        EXPECT_TRUE(QTest::qWaitFor([&] { return calls == before + 1; }, 5000));
        QCoreApplication::processEvents();
        EXPECT_EQ(calls, before + 1);
    }
    quitSignals.reset();
    ::sigaction(SIGHUP, &savedHup, nullptr);
}

TEST(QuitSignals, TheHandlersThatWereThereBeforeComeBack) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction savedTerm {};
    struct sigaction savedInt {};
    ::sigaction(SIGTERM, &ignore, &savedTerm);
    ::sigaction(SIGINT, &ignore, &savedInt);
    {
        QuitSignals quitSignals([] {});
        EXPECT_NE(currentHandler(SIGTERM), SIG_IGN);
        EXPECT_NE(currentHandler(SIGINT), SIG_IGN);
    }
    EXPECT_EQ(currentHandler(SIGTERM), SIG_IGN);
    EXPECT_EQ(currentHandler(SIGINT), SIG_IGN);
    ::sigaction(SIGTERM, &savedTerm, nullptr);
    ::sigaction(SIGINT, &savedInt, nullptr);
}

extern "C" void someoneElsesHandler(int) {}

TEST(QuitSignals, AHangupHandlerThatWasThereBeforeComesBackAndAnIgnoredHangupStaysIgnored) {
    struct sigaction saved {};
    struct sigaction other {};
    other.sa_handler = someoneElsesHandler;
    ::sigaction(SIGHUP, &other, &saved);
    {
        QuitSignals quitSignals([] {});
        EXPECT_NE(currentHandler(SIGHUP), someoneElsesHandler);
    }
    EXPECT_EQ(currentHandler(SIGHUP), someoneElsesHandler);

    // Started under nohup: the hangup of the session is not the program's end.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGHUP, &ignore, nullptr);
    {
        int calls = 0;
        QuitSignals quitSignals([&] { ++calls; });
        EXPECT_EQ(currentHandler(SIGHUP), SIG_IGN);
        ::raise(SIGHUP);
        QTest::qWait(50);
        EXPECT_EQ(calls, 0);
    }
    EXPECT_EQ(currentHandler(SIGHUP), SIG_IGN);
    ::sigaction(SIGHUP, &saved, nullptr);
}

TEST(QuitSignals, OnlyOneInstallationAtATime) {
    {
        auto first = vorn::platform::installQuitSignals([] {});
        EXPECT_THROW(QuitSignals([] {}), std::logic_error);
    }
    int calls = 0;
    QuitSignals again([&] { ++calls; });
    ::raise(SIGTERM);
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 5000));
}

// ---- A real program stopped by a signal ---------------------------------------------------------

class QuitSignalsInAProgram : public testing::Test {
protected:
    TempDir runtime;
    ScopedEnv xdg{"XDG_RUNTIME_DIR", runtime.path().string()};
};

TEST_F(QuitSignalsInAProgram, SigtermAndSighupEndItCleanlyWithTheGuardReleasedByTheCallback) {
    // SIGHUP: the terminal session or SSH connection the server was started from ended.
    for (const int signo : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signo));
        // The probe inherits the hangup's disposition: the default, as in a session, also when
        // this test runs under nohup.
        struct sigaction byDefault {};
        byDefault.sa_handler = SIG_DFL;
        struct sigaction saved {};
        ::sigaction(SIGHUP, &byDefault, &saved);
        EntryProbe server({"serve", "BPVORN"});
        ::sigaction(SIGHUP, &saved, nullptr);
        ASSERT_EQ(server.readLine(), "ready");
        server.writeLine("go");
        ::kill(static_cast<pid_t>(server.pid()), signo);
        EXPECT_EQ(server.readLine(), "quit");
        EXPECT_EQ(server.readLine(), "after-loop");

        // The program still runs, and its guard is free already.
        SingleInstanceGuard guard;
        EXPECT_TRUE(guard.tryAcquire("BPVORN"));
        server.closeInput();
        EXPECT_EQ(server.exitCode(), 0);
    }
}

TEST_F(QuitSignalsInAProgram, ASignalBeforeTheEventLoopRunsIsServedWhenItStarts) {
    EntryProbe server({"serve", "BPVORN"});
    ASSERT_EQ(server.readLine(), "ready");
    ::kill(static_cast<pid_t>(server.pid()), SIGINT);
    server.writeLine("go"); // only now does the event loop start
    EXPECT_EQ(server.readLine(), "quit");
    EXPECT_EQ(server.readLine(), "after-loop");
    server.closeInput();
    EXPECT_EQ(server.exitCode(), 0);
}

TEST_F(QuitSignalsInAProgram, ASecondSignalWhileTheFirstIsUnservedEndsAStuckProgram) {
    EntryProbe server({"serve", "BPVORN"});
    ASSERT_EQ(server.readLine(), "ready");
    // The probe sits before its event loop, like a program that hangs. Two different signals, so
    // the kernel cannot merge them into one.
    ::kill(static_cast<pid_t>(server.pid()), SIGTERM);
    ::kill(static_cast<pid_t>(server.pid()), SIGINT);
    EXPECT_TRUE(server.endedBySignal());

    SingleInstanceGuard guard;
    EXPECT_TRUE(guard.tryAcquire("BPVORN"));
}
