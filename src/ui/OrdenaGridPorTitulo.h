#pragma once

// Sorting a grid by a title click: the first click sorts by the clicked column ascending, the next
// click (on any column) descending, and so on; the grid's table then stands on its first row. The
// toggle belongs to the grid (its "Tag" property, 0 when unset), not to the column.

class QTableView;

namespace vorn::ui {

// `grid` shows a MemTableModel; a column outside its columns does nothing.
void OrdenaGridPorTitulo(QTableView* grid, int coluna);

} // namespace vorn::ui
