#include "FtpTestServer.h"

namespace vorn::test {

namespace {

// User and password come on standard input, so they never show in the process list.
const char* const kScript = R"PY(
import logging, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
logging.disable(logging.CRITICAL)
user = sys.stdin.readline().rstrip("\n")
password = sys.stdin.readline().rstrip("\n")
authorizer = DummyAuthorizer()
authorizer.add_user(user, password, sys.argv[1], perm="elr")
handler = FTPHandler
handler.authorizer = authorizer
handler.encoding = "utf8"
handler.auth_failed_timeout = 0
server = FTPServer(("127.0.0.1", 0), handler)
print(server.address[1], flush=True)
server.serve_forever()
)PY";

} // namespace

FtpTestServer::FtpTestServer(const QString& home, const QString& user, const QString& password) {
    process_ = std::make_unique<ChildProcess>(
        QStringLiteral("/usr/bin/python3"),
        QStringList{QStringLiteral("-c"), QString::fromUtf8(kScript), home},
        (user + u'\n' + password + u'\n').toUtf8());
    bool ok = false;
    const uint port = process_->firstLine().toUInt(&ok);
    if (ok && port > 0 && port <= 65535)
        port_ = static_cast<std::uint16_t>(port);
}

} // namespace vorn::test
