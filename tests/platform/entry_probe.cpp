// A second process for the tests of the program entry's pieces. Each mode does one thing and
// reports on standard output, one word a line:
//   try NAME          takes the guard NAME and ends: exit 0 when taken, 1 when refused
//   hold NAME         takes the guard, says "held" (or "refused", exit 1), keeps it until its
//                     standard input closes
//   spawn NAME SECS   takes the guard, starts "sleep SECS" as a child that outlives it, says the
//                     child's process number and ends without releasing anything
//   where             after one line on standard input, says its program file and folder
//   serve NAME        takes the guard, installs the quit signals (their callback releases the
//                     guard, says "quit" and quits the event loop), says "ready"; enters its
//                     event loop only after one line on standard input; says "after-loop" when
//                     the loop ends, then waits for its standard input to close
#include "platform/ProgramFolder.h"
#include "platform/QuitSignals.h"
#include "platform/SingleInstanceGuard.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <spawn.h>
#include <string>
#include <unistd.h>

using vorn::platform::SingleInstanceGuard;

namespace {

void say(const std::string& line) {
    std::cout << line << std::endl;
}

void waitForLine() {
    std::string line;
    std::getline(std::cin, line);
}

void waitForEndOfInput() {
    std::string line;
    while (std::getline(std::cin, line)) {
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string mode = argv[1];
    const QString name = argc > 2 ? QString::fromUtf8(argv[2]) : QString();

    if (mode == "try") {
        SingleInstanceGuard guard;
        return guard.tryAcquire(name) ? 0 : 1;
    }
    if (mode == "hold") {
        SingleInstanceGuard guard;
        if (!guard.tryAcquire(name)) {
            say("refused");
            return 1;
        }
        say("held");
        waitForEndOfInput();
        return 0;
    }
    if (mode == "spawn" && argc > 3) {
        SingleInstanceGuard guard;
        if (!guard.tryAcquire(name))
            return 1;
        // posix_spawn returns once the child runs "sleep": from then on the child holds only
        // what the exec let it keep.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        char sleepName[] = "sleep";
        char* const sleepArgv[] = {sleepName, argv[3], nullptr};
        pid_t child = 0;
        const int spawned =
            posix_spawn(&child, "/bin/sleep", &actions, nullptr, sleepArgv, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            return 1;
        say(std::to_string(child));
        ::_exit(0); // as a crash would: the guard is not released, the process just ends
    }
    if (mode == "where") {
        waitForLine();
        say(vorn::platform::programFilePath().toStdString());
        say(vorn::platform::programFolder().toStdString());
        return 0;
    }
    if (mode == "serve") {
        QCoreApplication app(argc, argv);
        SingleInstanceGuard guard;
        if (!guard.tryAcquire(name))
            return 3;
        vorn::platform::QuitSignals quitSignals([&] {
            guard.release();
            say("quit");
            QCoreApplication::quit();
        });
        say("ready");
        waitForLine();
        const int code = QCoreApplication::exec();
        say("after-loop");
        waitForEndOfInput();
        return code;
    }
    return 2;
}
