#include "ui/EventGuard.h"

#include "platform/MessageBox.h"

#include <QString>
#include <exception>

namespace vorn::ui {

void runGuarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& e) {
        platform::showMessageBox(QStringLiteral("Rarud Erevur VORN"), QString::fromUtf8(e.what()),
                                 platform::MessageIcon::Critical);
    } catch (...) {
        platform::showMessageBox(QStringLiteral("Rarud Erevur VORN"),
                                 QStringLiteral("Erro desconhecido."),
                                 platform::MessageIcon::Critical);
    }
}

} // namespace vorn::ui
