#pragma once

// The program's icon (a price tag with a barcode), drawn from the SVG in the program's resources
// at the sizes window managers, tray hosts and menus ask for. It needs no image plugin.

#include <QIcon>

namespace vorn::app {

QIcon IconePrograma();

} // namespace vorn::app
