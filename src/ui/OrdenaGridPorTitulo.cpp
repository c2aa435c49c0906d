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
    const std::string& campo = colunas[static_cast<size_t>(coluna)].field;
    data::MemTable& tabela = modelo->table();
    if (grid->property("Tag").toInt() == 0) {
        tabela.setIndexFieldNames(campo);
        grid->setProperty("Tag", 1);
    } else {
        tabela.setIndexFieldNames(campo + ":D");
        grid->setProperty("Tag", 0);
    }
    tabela.first();
    modelo->refresh();
}

} // namespace vorn::ui
