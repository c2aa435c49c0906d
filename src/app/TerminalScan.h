#pragma once

// Which slots of the library's connected-terminals table the once-a-second refresh lists.
// Slots are examined from 0 upward; after each slot (slot 0 included) the scan ends when the
// occupied slots found so far reach NumSockConec, or after slot 1021. So slot 0 is always
// examined, slots 1022 and 1023 never are, and the cost follows the position of the last
// connected terminal rather than the table's size.

#include "terminal/sc501ger.h"

namespace vorn::app {

// Calls visit(slot) for each occupied slot (TabSock not 0) that the scan reaches, in order.
template <typename Visit> void VarreTabelaTerminais(const TTABSOCK& tabela, Visit&& visit) {
    int encontrados = 0;
    for (int slot = 0; slot < SC501GER_MAX_TERMINALS; ++slot) {
        if (tabela.TabSock[slot] != 0) {
            ++encontrados;
            visit(slot);
        }
        if (encontrados >= tabela.NumSockConec || slot >= 1021)
            break;
    }
}

} // namespace vorn::app
