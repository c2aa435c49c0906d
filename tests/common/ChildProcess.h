#pragma once

// A child process for tests: started with an argument list (no shell), its first line of output
// awaited, and ended when the object goes away (stdin closed and SIGTERM sent, then killed if still
// there).

#include <QProcess>
#include <QString>
#include <QStringList>

namespace vorn::test {

class ChildProcess {
public:
    ChildProcess(const QString& program, const QStringList& arguments,
                 const QByteArray& input = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The first line the child wrote on its standard output (without the line break); empty when
    // it wrote none within 20 seconds or ended first.
    QString firstLine();
    // Ends the child now and waits for it.
    void stop();

private:
    QProcess process_;
};

} // namespace vorn::test
