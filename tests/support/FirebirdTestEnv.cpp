#include "support/FirebirdTestEnv.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <sys/wait.h>

namespace vorn::test {

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        throw std::runtime_error(std::string("the variable ") + name +
                                 " is not set: these tests need the Firebird server that "
                                 "scripts/test starts; run them with scripts/test");
    return value;
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

const FirebirdTestEnv& firebirdTestEnv() {
    static const FirebirdTestEnv env = [] {
        FirebirdTestEnv e;
        e.host = variable("VORN_FB_HOST");
        e.port = static_cast<std::uint16_t>(std::stoi(variable("VORN_FB_PORT")));
        e.dir = variable("VORN_FB_DIR");
        e.script = variable("VORN_FB_SCRIPT");
        e.fixture = variable("VORN_FB_FIXTURE");
        return e;
    }();
    return env;
}

int runFirebirdScript(const std::string& arguments, std::string* output) {
    const std::string command = quoted(firebirdTestEnv().script) + " " + arguments + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    std::string text;
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe.get()) != nullptr)
        text += buffer.data();
    const int status = pclose(pipe.release());
    if (output != nullptr)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void createTestDatabase(const std::string& path, const std::string& dataset) {
    std::string output;
    const int status = runFirebirdScript("create-db " + quoted(firebirdTestEnv().dir) + " " +
                                             quoted(path) + " " + quoted(dataset),
                                         &output);
    if (status != 0)
        throw std::runtime_error("creating the test database " + path + " failed: " + output);
}

} // namespace vorn::test
