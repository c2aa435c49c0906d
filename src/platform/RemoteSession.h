#pragma once

// Whether the program runs in a remote session: a session started over SSH or through a remote
// desktop server. Linux has no single flag for it; the session's own environment tells, because
// every such server sets variables of its own in the session it starts:
//
//   SSH_CONNECTION, SSH_CLIENT, SSH_TTY        sshd (a login or a command over SSH)
//   XRDP_SESSION, XRDP_SOCKET_PATH             xrdp
//   X2GO_SESSION                               X2Go
//   NXSESSIONID                                NX servers
//   VNCDESKTOP                                 a VNC server's own desktop (vncserver)
//   CHROME_REMOTE_DESKTOP_SESSION              Chrome Remote Desktop's virtual session
//   DISPLAY naming a host ("host:10.0")        an X display on another machine, or forwarded
//                                              through SSH ("localhost:10.0"); a local display is
//                                              written ":0" or "unix:0"
//
// A variable counts only when it is set to a non-empty value. Sharing the local console's own
// desktop (a VNC or RDP server attached to display :0) is no remote session, as on Windows.

#include <QProcessEnvironment>

namespace vorn::platform {

// The rule above applied to this process's environment.
bool isRemoteSession();

// The rule above applied to `environment`.
bool isRemoteSession(const QProcessEnvironment& environment);

} // namespace vorn::platform
