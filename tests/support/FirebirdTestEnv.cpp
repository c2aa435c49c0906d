#include "support/FirebirdTestEnv.h"

#include <QProcess>
#include <QProcessEnvironment>
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

void runTestSql(const std::string& path, const std::string& sql) {
    const FirebirdTestEnv& env = firebirdTestEnv();
    QProcess isql;
    // The user and password go through the environment, never the command line.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ISC_USER"), QStringLiteral("VORNMASTER"));
    environment.insert(QStringLiteral("ISC_PASSWORD"), QStringLiteral("x47#q802"));
    isql.setProcessEnvironment(environment);
    isql.setProcessChannelMode(QProcess::MergedChannels);
    const QString address = QStringLiteral("inet://%1:%2/%3")
                                .arg(QString::fromStdString(env.host))
                                .arg(env.port)
                                .arg(QString::fromStdString(path));
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-b"), address});
    if (!isql.waitForStarted(10000))
        throw std::runtime_error("cannot run isql-fb: " + isql.errorString().toStdString());
    isql.write(QByteArray::fromStdString(sql + "\nCOMMIT;\n"));
    isql.closeWriteChannel();
    if (!isql.waitForFinished(60000) || isql.exitStatus() != QProcess::NormalExit ||
        isql.exitCode() != 0)
        throw std::runtime_error("isql-fb failed on " + path + ": " + isql.readAll().toStdString());
}

} // namespace vorn::test
