#include "platform/RemoteSession.h"

#include <gtest/gtest.h>

using vorn::platform::isRemoteSession;

namespace {

QProcessEnvironment environmentWith(const QString& name, const QString& value) {
    QProcessEnvironment environment;
    // What every graphical session has; none of it makes a session remote.
    environment.insert("HOME", "/home/loja");
    environment.insert("XDG_SESSION_TYPE", "x11");
    environment.insert("WAYLAND_DISPLAY", "wayland-0");
    if (!name.isEmpty())
        environment.insert(name, value);
    return environment;
}

} // namespace

TEST(RemoteSession, TheSessionsOwnVariablesTellARemoteSession) {
    struct Case {
        const char* name;
        const char* value;
        bool remote;
    };
    const Case cases[] = {
        {"", "", false},
        {"SSH_CONNECTION", "192.168.0.9 51234 192.168.0.2 22", true},
        {"SSH_CLIENT", "192.168.0.9 51234 22", true},
        {"SSH_TTY", "/dev/pts/3", true},
        {"SSH_CONNECTION", "", false}, // set but empty counts as unset
        {"XRDP_SESSION", "1", true},
        {"XRDP_SOCKET_PATH", "/run/xrdp/sockdir", true},
        {"X2GO_SESSION", "loja-50-1700000000_stDXFCE_dp24", true},
        {"NXSESSIONID", "3F9A", true},
        {"VNCDESKTOP", "loja:1 (loja)", true},
        {"CHROME_REMOTE_DESKTOP_SESSION", "1", true},
        // X displays: local ones are bare or "unix"; a host before the colon is another machine
        // or an SSH-forwarded display.
        {"DISPLAY", ":0", false},
        {"DISPLAY", ":1.0", false},
        {"DISPLAY", "unix:0", false},
        {"DISPLAY", "/tmp/launch-x/org.xquartz:0", false},
        {"DISPLAY", "localhost:10.0", true},
        {"DISPLAY", "192.168.0.9:0", true},
        {"DISPLAY", "::1:0", true},
        {"DISPLAY", "caixa01::0", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.value);
        EXPECT_EQ(isRemoteSession(environmentWith(c.name, c.value)), c.remote);
    }
}
