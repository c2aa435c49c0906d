#include "ui/OrdenaGridPorTitulo.h"

#include "ui/MemTableModel.h"

#include <QTableView>

namespace vorn::ui {

void OrdenaGridPorTitulo(QTableView* grid, int coluna) {
    auto* modelo = grid != nullptr ? qobject_cast<MemTableModel*>(grid->model()) : nullptr;
    if (modelo == nullptr)
        return;
    const auto& colunas = modelo->columns();
    if (coluna < 0 || coluna >= static_cast<int>(colunas.size()))
        return;
    // The toggle is the grid's; the sort and the move to the first row are the table's rule.
    int tag = grid->property("Tag").toInt();
    data::OrdenaPorTitulo(tag, modelo->table(), colunas[static_cast<size_t>(coluna)].field);
    grid->setProperty("Tag", tag);
    modelo->refresh();
}

} // namespace vorn::ui
