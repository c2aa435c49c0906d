#include "data/DataError.h"

namespace vorn::data {

const char* categoryName(ErrorCategory category) {
    switch (category) {
    case ErrorCategory::ConnectionLost:
        return "connection lost";
    case ErrorCategory::Authentication:
        return "authentication";
    case ErrorCategory::DatabaseMissing:
        return "database missing";
    case ErrorCategory::Statement:
        return "statement";
    case ErrorCategory::Conversion:
        return "conversion";
    case ErrorCategory::Usage:
        return "usage";
    }
    return "?";
}

} // namespace vorn::data
