#pragma once

#include <QString>

namespace vorn::platform {

// The operating system's error `code` (an errno value) as a sentence a shop's technician reads in
// an error box: Portuguese for the failures that settings and file writes meet, the C library's
// own text otherwise.
QString systemErrorText(int code);

} // namespace vorn::platform
