#pragma once

// A private X display (Xvfb) for tests that look at real windows the way a window manager does.
// It picks a free display number itself and is stopped with the object.

#include <QProcess>
#include <QString>

namespace vorn::test {

class VirtualDisplay {
public:
    // Starts Xvfb; throws std::runtime_error when it does not come up within 15 s.
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // The DISPLAY value, such as ":42".
    const QString& name() const { return name_; }

private:
    QProcess xvfb_;
    QString name_;
};

} // namespace vorn::test
