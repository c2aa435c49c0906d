#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace vorn::platform {

namespace {

MessageBoxRecorder* currentRecorder = nullptr;

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::NoIcon:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

bool messageBoxesGoToStandardError() {
    // QMessageBox needs a QApplication (a QGuiApplication or QCoreApplication is not enough).
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return true;
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

void showMessageBox(const QString& caption, const QString& text, MessageIcon icon) {
    if (currentRecorder != nullptr)
        currentRecorder->shown_.push_back({caption, text, icon});

    if (messageBoxesGoToStandardError()) {
        const QByteArray line = (caption + QLatin1String(": ") + text + u'\n').toLocal8Bit();
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
        return;
    }
    QMessageBox box(toQt(icon), caption, text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

MessageBoxRecorder::MessageBoxRecorder() : previous_(currentRecorder) {
    currentRecorder = this;
}

MessageBoxRecorder::~MessageBoxRecorder() {
    currentRecorder = previous_;
}

} // namespace vorn::platform
