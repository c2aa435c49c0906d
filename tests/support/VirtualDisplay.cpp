#include "support/VirtualDisplay.h"

#include <QElapsedTimer>
#include <stdexcept>

namespace vorn::test {

VirtualDisplay::VirtualDisplay() {
    // -displayfd: Xvfb chooses a free display and writes its number to standard output once it
    // accepts connections.
    xvfb_.start(QStringLiteral("Xvfb"),
                {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                 QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                 QStringLiteral("tcp"), QStringLiteral("-noreset")});
    if (!xvfb_.waitForStarted(5000))
        throw std::runtime_error("cannot run Xvfb (package xvfb): " +
                                 xvfb_.errorString().toStdString());
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    while (!output.contains('\n') && clock.elapsed() < 15000 &&
           xvfb_.state() == QProcess::Running) {
        xvfb_.waitForReadyRead(100);
        output += xvfb_.readAllStandardOutput();
    }
    bool ok = false;
    const int number = output.trimmed().toInt(&ok);
    if (!ok)
        throw std::runtime_error("Xvfb did not report its display: " +
                                 xvfb_.readAllStandardError().toStdString());
    name_ = QStringLiteral(":%1").arg(number);
}

VirtualDisplay::~VirtualDisplay() {
    xvfb_.terminate();
    if (!xvfb_.waitForFinished(5000)) {
        xvfb_.kill();
        xvfb_.waitForFinished(5000);
    }
}

} // namespace vorn::test
