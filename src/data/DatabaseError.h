#pragma once

// Errors of the database connection and its queries. The message is the server's (or the client
// library's) own text, so the operator reads what went wrong, for example the text of a refused
// login; the category (see DataError.h) comes from the Firebird error codes.

#include "data/DataError.h"

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace vorn::data {

class DatabaseError : public DataError {
public:
    // An error of this layer itself (no Firebird code).
    DatabaseError(const std::string& message, ErrorCategory category);
    // An error the server or the client library reported: `codes` are the Firebird error
    // codes (gds codes) of the status, first the main one; they decide the category.
    DatabaseError(const std::string& message, std::vector<std::intptr_t> codes);

    // The main gds code, 0 when the error did not come from Firebird.
    std::intptr_t gdsCode() const { return codes_.empty() ? 0 : codes_.front(); }
    const std::vector<std::intptr_t>& gdsCodes() const { return codes_; }
    // True when the link to the server was lost (category ConnectionLost): the attachment is
    // dead and attaching again may succeed.
    bool lostLink() const { return category() == ErrorCategory::ConnectionLost; }

    QString message() const { return QString::fromUtf8(what()); }

private:
    std::vector<std::intptr_t> codes_;
};

// The category of a Firebird error from its gds codes (see FbErrorCategory.cpp).
ErrorCategory categoryOfGdsCodes(const std::vector<std::intptr_t>& codes);

} // namespace vorn::data
