#include "app/LogLimitado.h"

#include <algorithm>

namespace vorn::app {

namespace {

// The rows of a table from one record number on, as a source the same table can copy from (it
// reads everything before it replaces its rows).
class LinhasDesde : public data::RowSource {
public:
    LinhasDesde(const data::MemTable& tabela, int primeira)
        : tabela_(tabela), defs_(tabela.fieldDefs()), proxima_(primeira) {}

    const std::vector<data::FieldDef>& fieldDefs() const override { return defs_; }

    bool fetchRow(std::vector<data::Value>& row) override {
        if (proxima_ > tabela_.recordCount())
            return false;
        row.resize(defs_.size());
        for (int campo = 0; campo < static_cast<int>(defs_.size()); ++campo)
            row[static_cast<std::size_t>(campo)] = tabela_.valueAt(proxima_, campo);
        ++proxima_;
        return true;
    }

private:
    const data::MemTable& tabela_;
    std::vector<data::FieldDef> defs_;
    int proxima_;
};

} // namespace

void DescartaLinhasAntigas(data::MemTable& tabela, int limite) {
    limite = std::max(limite, 1);
    const int linhas = tabela.recordCount();
    if (linhas <= limite)
        return;
    const int lote = std::max(1, limite / 100);
    const int mantidas = limite - lote + 1;
    LinhasDesde recentes(tabela, linhas - mantidas + 1);
    tabela.copyFrom(recentes);
}

} // namespace vorn::app
