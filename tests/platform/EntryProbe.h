#pragma once

// Runs tests/platform/entry_probe.cpp as a second process and talks to it line by line. The probe
// inherits this process's environment as it is when the probe starts.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace vorn::test {

class EntryProbe {
public:
    explicit EntryProbe(const QStringList& arguments, const QString& program = VORN_ENTRY_PROBE) {
        process_.setProgram(program);
        process_.setArguments(arguments);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
        started_ = process_.waitForStarted(10000);
    }
    ~EntryProbe() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }
    EntryProbe(const EntryProbe&) = delete;
    EntryProbe& operator=(const EntryProbe&) = delete;

    bool started() const { return started_; }
    qint64 pid() const { return process_.processId(); }

    // The next line the probe writes, without its line end; empty after 10 s or when it ended.
    QString readLine() {
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(10000))
                return process_.readAll().trimmed();
        }
        return QString::fromUtf8(process_.readLine()).chopped(1);
    }
    void writeLine(const QString& line) {
        process_.write((line + u'\n').toUtf8());
        process_.waitForBytesWritten(10000);
    }
    void closeInput() { process_.closeWriteChannel(); }

    // Waits for the end: the exit code, or -1 when a signal ended the probe (or it hangs).
    int exitCode() {
        if (!process_.waitForFinished(10000))
            return -1;
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    bool endedBySignal() {
        return process_.waitForFinished(10000) && process_.exitStatus() == QProcess::CrashExit;
    }

private:
    QProcess process_;
    bool started_ = false;
};

// Runs the probe to its end and gives its exit code (-1 when it did not end normally).
inline int runProbe(const QStringList& arguments) {
    EntryProbe probe(arguments);
    probe.closeInput();
    return probe.exitCode();
}

} // namespace vorn::test
