#pragma once

// A real FTP server on the loopback interface for tests: pyftpdlib run by Debian's python3, one
// read-only user whose home is a folder the test owns. The server picks its own free port and
// reports it; it ends with the object.

#include "ChildProcess.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace vorn::test {

class FtpTestServer {
public:
    FtpTestServer(const QString& home, const QString& user, const QString& password);

    // 0 when the server did not come up.
    std::uint16_t port() const { return port_; }
    // "127.0.0.1:port", the host text the download takes.
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

private:
    std::unique_ptr<ChildProcess> process_;
    std::uint16_t port_ = 0;
};

} // namespace vorn::test
