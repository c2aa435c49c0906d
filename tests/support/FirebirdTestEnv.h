#pragma once

// The private Firebird server that scripts/test starts for the tests, as the VORN_FB_*
// variables describe it. A test that needs the database and finds no server FAILS (it never
// skips): run the tests through scripts/test.

#include <cstdint>
#include <string>

namespace vorn::test {

struct FirebirdTestEnv {
    std::string host;    // VORN_FB_HOST
    std::uint16_t port;  // VORN_FB_PORT
    std::string dir;     // VORN_FB_DIR: the instance folder
    std::string script;  // VORN_FB_SCRIPT: scripts/firebird
    std::string fixture; // VORN_FB_FIXTURE: the shared fixture database
};

// The server's description; throws std::runtime_error saying to run scripts/test when the
// variables are missing.
const FirebirdTestEnv& firebirdTestEnv();

// Creates a database at `path` on the shared server with a data set (fixture | demo |
// generate:N); throws std::runtime_error with the script's output on failure.
void createTestDatabase(const std::string& path, const std::string& dataset = "fixture");

// Runs `sql` (statements ending in ";") with isql on the database at `path` of the shared server,
// as the program's database user, and commits; throws std::runtime_error with isql's output when
// it fails. For tests that change the shop's data under a running window.
void runTestSql(const std::string& path, const std::string& sql);

// Runs scripts/firebird with the arguments; returns its exit status, its output in `output`.
int runFirebirdScript(const std::string& arguments, std::string* output = nullptr);

} // namespace vorn::test
