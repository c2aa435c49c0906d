#pragma once

// The program's name as the operator sees it: the caption of the standard error box, the
// application name and the tray icon's tooltip.

namespace vorn::common {

inline constexpr char kProgramName[] = "Rarud Erevur VORN";

} // namespace vorn::common
