#include "data/AbreConsulta.h"

#include <utility>

namespace vorn::data {

bool AbreConsulta(Query& VQuery, const QString& VSQL) {
    VQuery.close();
    VQuery.setSql(VSQL);
    VQuery.open();
    return true;
}

bool AbreConsulta(Query& VQuery, std::string VSQL) {
    VQuery.close();
    VQuery.setSql(std::move(VSQL));
    VQuery.open();
    return true;
}

bool AbreConsulta(Query& VQuery, const char* VSQL) {
    return AbreConsulta(VQuery, std::string(VSQL));
}

} // namespace vorn::data
