#include "common/uFuncPubl.h"

namespace vorn::common {

std::int32_t ContaOcorrencias(const QString& VSubTexto, const QString& VTexto) {
    if (VSubTexto.isEmpty() || VTexto.isEmpty())
        return 0;
    std::int32_t count = 0;
    // After a match the search resumes one character after the match's first character, so
    // overlapping occurrences all count.
    for (qsizetype at = VTexto.indexOf(VSubTexto); at >= 0; at = VTexto.indexOf(VSubTexto, at + 1))
        ++count;
    return count;
}

} // namespace vorn::common
