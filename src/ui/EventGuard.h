#pragma once

// The boundary of every event handler of the dialogs and controls: an exception that escapes the
// handler's work is shown in the framework's standard error box and the work for that event ends
// there; nothing crosses Qt's event loop.

#include <functional>

namespace vorn::ui {

void runGuarded(const std::function<void()>& work);

} // namespace vorn::ui
