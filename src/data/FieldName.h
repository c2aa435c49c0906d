#pragma once

// Field names of queries, memory tables and filters: compared without regard to ASCII case
// ("codigo" names CODIGO), as the database compares unquoted names.

#include "data/Field.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorn::data {

bool sameFieldName(std::string_view a, std::string_view b);

// The name with a..z in capitals, other bytes as they are.
std::string asciiUpper(std::string_view name);

// The index of the first field named `name`, or -1.
int findField(const std::vector<FieldDef>& fields, std::string_view name);

} // namespace vorn::data
