#pragma once

// Errors of the database layer. The message is the server's (or the client library's) own text,
// so the operator reads what went wrong, for example the text of a refused login.

#include <QString>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorn::data {

class DatabaseError : public std::runtime_error {
public:
    // `message` in UTF-8; `codes` are the Firebird error codes (gds codes) of the status, first
    // the main one. Errors raised by this layer itself carry no code.
    explicit DatabaseError(const std::string& message, std::vector<std::intptr_t> codes = {});

    // The main gds code, 0 when the error did not come from Firebird.
    std::intptr_t gdsCode() const { return codes_.empty() ? 0 : codes_.front(); }
    const std::vector<std::intptr_t>& gdsCodes() const { return codes_; }
    // True when one of the codes says the link to the server was lost: the attachment is dead
    // and attaching again may succeed.
    bool lostLink() const;

    QString message() const { return QString::fromUtf8(what()); }

private:
    std::vector<std::intptr_t> codes_;
};

} // namespace vorn::data
