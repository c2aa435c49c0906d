#include "support/FirebirdServer.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>

namespace vorn::test {

namespace {

std::string requiredVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        throw std::runtime_error(std::string(name) +
                                 " is not set: these tests need the private Firebird server that "
                                 "scripts/test starts; run them with scripts/test (or eval \"$("
                                 "scripts/firebird test-env DIR)\" before ctest)");
    return value;
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

} // namespace

const FirebirdEnv& firebirdEnv() {
    static const FirebirdEnv env = [] {
        FirebirdEnv e;
        e.host = requiredVariable("VORN_FB_HOST");
        e.port = std::stoi(requiredVariable("VORN_FB_PORT"));
        e.dir = requiredVariable("VORN_FB_DIR");
        e.fixture = requiredVariable("VORN_FB_FIXTURE");
        e.script = requiredVariable("VORN_FB_SCRIPT");
        return e;
    }();
    return env;
}

void configureConnection(data::Connection& connection, int port, const std::string& database) {
    connection.setParam(QStringLiteral("DriverID"), QStringLiteral("FB"));
    connection.setParam(QStringLiteral("CharacterSet"), QStringLiteral("WIN1252"));
    connection.setParam(QStringLiteral("USER_NAME"), QStringLiteral("VORNMASTER"));
    connection.setParam(QStringLiteral("PASSWORD"), QStringLiteral("x47#q802"));
    connection.setParam(QStringLiteral("ROLE"), QStringLiteral("RDB$ADMIN"));
    connection.setAutoReconnect(true);
    connection.setAutoCommit(false);
    connection.setIsolation(data::Isolation::ReadCommitted);
    connection.setParam(QStringLiteral("SERVER"), QStringLiteral("127.0.0.1"));
    connection.setParam(QStringLiteral("PORT"), QString::number(port));
    connection.setParam(QStringLiteral("PROTOCOL"), QStringLiteral("ipTCPIP"));
    connection.setParam(QStringLiteral("DATABASE"), QString::fromStdString(database));
}

void connectToFixture(data::Connection& connection) {
    const FirebirdEnv& env = firebirdEnv();
    configureConnection(connection, env.port, env.fixture);
}

void runFirebirdScript(const std::string& arguments) {
    const std::string command = quoted(firebirdEnv().script) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        throw std::runtime_error("cannot run " + command);
    std::string output;
    std::array<char, 4096> chunk{};
    std::size_t n = 0;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        output.append(chunk.data(), n);
    const int status = pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("scripts/firebird " + arguments + " failed: " + output);
}

void createSharedDatabase(const std::string& path, const std::string& dataset) {
    runFirebirdScript("create-db " + quoted(firebirdEnv().dir) + " " + quoted(path) + " " +
                      quoted(dataset));
}

PrivateFirebird::PrivateFirebird(const std::filesystem::path& dir) : dir_(dir) {
    std::filesystem::create_directories(dir_);
}

PrivateFirebird::~PrivateFirebird() {
    try {
        stop();
    } catch (...) {
    }
}

void PrivateFirebird::start() {
    runFirebirdScript("start " + quoted(dir_.string()));
}

void PrivateFirebird::stop() {
    runFirebirdScript("stop " + quoted(dir_.string()));
}

std::string PrivateFirebird::createDatabase(const std::string& name, const std::string& dataset) {
    const std::string path = (dir_ / name).string();
    runFirebirdScript("create-db " + quoted(dir_.string()) + " " + quoted(path) + " " +
                      quoted(dataset));
    return path;
}

int PrivateFirebird::port() const {
    std::ifstream in(dir_ / "port");
    int port = 0;
    if (!(in >> port))
        throw std::runtime_error("the private server in " + dir_.string() + " has no port file");
    return port;
}

int PrivateFirebird::pid() const {
    std::ifstream file(dir_ / "server.pid");
    int value = 0;
    file >> value;
    if (value <= 0)
        throw std::runtime_error("the private Firebird of " + dir_.string() + " has no server.pid");
    return value;
}

} // namespace vorn::test
