#include "platform/RemoteSession.h"

#include <QString>
#include <array>

namespace vorn::platform {

namespace {

// True when the X display name "[host]:display[.screen]" names a host. DECnet names use "::"
// before the display number; IPv6 hosts contain colons themselves, so the host is everything
// before the last colon.
bool displayNamesAHost(const QString& display) {
    const qsizetype colon = display.lastIndexOf(u':');
    if (colon < 0)
        return false;
    QString host = display.left(colon);
    if (host.endsWith(u':') && host.count(u':') == 1)
        host.chop(1); // DECnet "node::0"
    // A path before the colon names a local socket, as launchd-style displays do.
    return !host.isEmpty() && host != u"unix" && !host.startsWith(u'/');
}

} // namespace

bool isRemoteSession(const QProcessEnvironment& environment) {
    static constexpr std::array kRemoteMarkers{
        "SSH_CONNECTION", "SSH_CLIENT",       "SSH_TTY",
        "XRDP_SESSION",   "XRDP_SOCKET_PATH", "X2GO_SESSION",
        "NXSESSIONID",    "VNCDESKTOP",       "CHROME_REMOTE_DESKTOP_SESSION"};
    for (const char* name : kRemoteMarkers)
        if (!environment.value(QLatin1String(name)).isEmpty())
            return true;
    return displayNamesAHost(environment.value(QStringLiteral("DISPLAY")));
}

bool isRemoteSession() {
    return isRemoteSession(QProcessEnvironment::systemEnvironment());
}

} // namespace vorn::platform
