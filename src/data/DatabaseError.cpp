#include "data/DatabaseError.h"

namespace vorn::data {

DatabaseError::DatabaseError(const std::string& message, ErrorCategory category)
    : DataError(message, category) {}

DatabaseError::DatabaseError(const std::string& message, std::vector<std::intptr_t> codes)
    : DataError(message, categoryOfGdsCodes(codes)), codes_(std::move(codes)) {}

} // namespace vorn::data
