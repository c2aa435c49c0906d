#pragma once

// The Firebird servers of the tests. scripts/test starts a private instance and creates the
// fixture database (db/fixture.sql) before CTest runs, and passes them in VORN_FB_* variables.
// A test that needs the server and finds no such variable fails, saying how to run it: a
// missing server is a failing run, never a skipped test.

#include "data/Connection.h"

#include <filesystem>
#include <string>

namespace vorn::test {

struct FirebirdEnv {
    std::string host;
    int port = 0;
    std::string dir;     // the shared instance's folder
    std::string fixture; // absolute path of the fixture database
    std::string script;  // absolute path of scripts/firebird
};

// The shared server's settings; throws (failing the test) when scripts/test did not set them.
const FirebirdEnv& firebirdEnv();

// Sets the parameters the server program sets (user VORNMASTER, role RDB$ADMIN, WIN1252,
// TCP/IP, auto-commit off, read committed, automatic reconnection) for `database` on `port`.
void configureConnection(data::Connection& connection, int port, const std::string& database);
// The same for the fixture database of the shared server.
void connectToFixture(data::Connection& connection);

// Runs scripts/firebird with the arguments; throws with the script's output when it fails.
void runFirebirdScript(const std::string& arguments);
// Creates a database on the shared server ("fixture", "demo", "generate:N"); its folder must
// exist. The test that creates it removes it with its temporary folder.
void createSharedDatabase(const std::string& path, const std::string& dataset);

// A private instance in a folder of its own, for tests that stop and start their server. The
// server is stopped when the object goes away.
class PrivateFirebird {
public:
    explicit PrivateFirebird(const std::filesystem::path& dir);
    ~PrivateFirebird();
    PrivateFirebird(const PrivateFirebird&) = delete;
    PrivateFirebird& operator=(const PrivateFirebird&) = delete;

    void start();
    void stop();
    // Creates a database with the data set ("fixture", "demo", "generate:N") and returns its path.
    std::string createDatabase(const std::string& name, const std::string& dataset);
    int port() const;
    // The server process (from the instance's server.pid), for tests that freeze it.
    int pid() const;

private:
    std::filesystem::path dir_;
};

} // namespace vorn::test
