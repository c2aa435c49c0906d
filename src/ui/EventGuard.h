#pragma once

// The boundary of every event handler (timers, buttons, show and close events, the creation
// sequence): an exception that escapes the handler's work is shown in the framework's standard
// error box and the work for that event ends there; nothing crosses Qt's event loop.

#include <QString>
#include <functional>

namespace vorn::ui {

// The framework's standard error box: the program's name as caption, the message, a stop icon.
void MostraErroPadrao(const QString& mensagem);

// Runs `work`; an exception that leaves it goes to MostraErroPadrao with its message ("Erro
// desconhecido" for one that carries none).
void runGuarded(const std::function<void()>& work);

} // namespace vorn::ui
