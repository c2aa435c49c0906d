#include "ChildProcess.h"

namespace vorn::test {

ChildProcess::ChildProcess(const QString& program, const QStringList& arguments,
                           const QByteArray& input) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(program, arguments);
    process_.waitForStarted(10000);
    if (!input.isEmpty())
        process_.write(input);
}

ChildProcess::~ChildProcess() {
    stop();
}

QString ChildProcess::firstLine() {
    while (!process_.canReadLine()) {
        if (process_.state() != QProcess::Running || !process_.waitForReadyRead(20000))
            return {};
    }
    return QString::fromUtf8(process_.readLine()).trimmed();
}

void ChildProcess::stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

} // namespace vorn::test
