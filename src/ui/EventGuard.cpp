#include "ui/EventGuard.h"

#include "common/ProgramName.h"
#include "platform/MessageBox.h"

#include <exception>

namespace vorn::ui {

void MostraErroPadrao(const QString& mensagem) {
    platform::showMessageBox(QString::fromUtf8(common::kProgramName), mensagem,
                             platform::MessageIcon::Critical);
}

void runGuarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& e) {
        MostraErroPadrao(QString::fromUtf8(e.what()));
    } catch (...) {
        MostraErroPadrao(QStringLiteral("Erro desconhecido"));
    }
}

} // namespace vorn::ui
