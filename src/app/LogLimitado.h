#pragma once

// The activity log's bound: a headless server has no operator to press "Limpar", so the log
// keeps its newest rows and drops the oldest.

#include "data/MemTable.h"

namespace vorn::app {

// Once `tabela` holds more than `limite` rows, drops its oldest rows. A table of rows appended
// one by one never shows more than `limite`; to keep that cheap for a large limit the oldest
// hundredth of the limit goes at once (for limits under 200, exactly the rows beyond it), so the
// copy this takes happens once per that many rows rather than at every row. The current record
// is the first one afterwards.
void DescartaLinhasAntigas(data::MemTable& tabela, int limite);

} // namespace vorn::app
