#pragma once

// The one error model of the data layer. Every error it throws (DatabaseError of the connection
// and the queries, MemTableError of the memory tables, FilterError of their filters) derives
// from DataError and carries a category, so a caller decides by category whether to try again
// or to report: only a lost connection is worth another attempt.

#include <stdexcept>
#include <string>

namespace vorn::data {

enum class ErrorCategory {
    ConnectionLost,  // the server cannot be reached or the link to it broke: retry later
    Authentication,  // the server refused the user name or password
    DatabaseMissing, // the server is there but the database file is not (or is no database)
    Statement,       // the server (or a filter) refused a statement: wrong SQL, missing table
    Conversion,      // a value does not fit the type or range it must take
    Usage,           // the program's own misuse or setup: unknown field, closed table, no DATABASE
};

const char* categoryName(ErrorCategory category);

class DataError : public std::runtime_error {
public:
    // `message` in UTF-8.
    DataError(const std::string& message, ErrorCategory category)
        : std::runtime_error(message), category_(category) {}

    ErrorCategory category() const { return category_; }
    // True when trying again may succeed without anything else changing.
    bool retryable() const { return category_ == ErrorCategory::ConnectionLost; }

private:
    ErrorCategory category_;
};

} // namespace vorn::data
