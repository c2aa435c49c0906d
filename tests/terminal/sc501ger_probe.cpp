// Starts the terminal library the way the server does, says "started" (or "failed") and keeps it
// running until its standard input ends. Tests copy it into a folder of their own to check that
// the library finds the settings file beside the executable.

#include "terminal/sc501ger.h"

#include <cstdio>
#include <unistd.h>

int main() {
    vInitialize();
    if (tc_startserver() == 0) {
        std::puts("failed");
        return 1;
    }
    std::fputs("started\n", stdout);
    std::fflush(stdout);
    char c;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
    vInitialize();
    return 0;
}
