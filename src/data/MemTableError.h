#pragma once

// Misuse of a memory table (category Usage: an unknown field, an operation on a closed table) or
// a value it cannot take (category Conversion: a text for an amount, an amount out of range).

#include "data/DataError.h"

#include <string>

namespace vorn::data {

class MemTableError : public DataError {
public:
    explicit MemTableError(const std::string& message,
                           ErrorCategory category = ErrorCategory::Usage)
        : DataError(message, category) {}
};

} // namespace vorn::data
