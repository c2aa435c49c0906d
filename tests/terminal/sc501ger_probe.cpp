// Starts the terminal library the way the server does, says "started" (or "failed") and keeps it
// running. Tests copy it into a folder of their own to check that the library finds the settings
// file beside the executable, and stop it with signals.
//   sc501ger_probe                runs until its standard input ends, then resets the library
//   sc501ger_probe until-signal   runs an event loop until a quit signal (SIGTERM, SIGINT,
//                                 SIGHUP) ends it, and leaves the library to the end of the
//                                 process, as the server does
#include "platform/QuitSignals.h"
#include "terminal/sc501ger.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    const bool untilSignal = argc > 1 && std::strcmp(argv[1], "until-signal") == 0;
    vInitialize();
    if (tc_startserver() == 0) {
        std::puts("failed");
        return 1;
    }
    if (untilSignal) {
        QCoreApplication app(argc, argv);
        vorn::platform::QuitSignals quitSignals([] { QCoreApplication::exit(0); });
        std::fputs("started\n", stdout);
        std::fflush(stdout);
        return QCoreApplication::exec();
    }
    std::fputs("started\n", stdout);
    std::fflush(stdout);
    char c;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
    vInitialize();
    return 0;
}
