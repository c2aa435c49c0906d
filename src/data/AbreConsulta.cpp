#include "data/AbreConsulta.h"

namespace vorn::data {

bool AbreConsulta(Query& VQuery, const QString& VSQL) {
    VQuery.close();
    VQuery.setSql(VSQL);
    VQuery.open();
    return true;
}

} // namespace vorn::data
