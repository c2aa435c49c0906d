// Firebird's error codes, by their names in the client's headers, mapped to the categories of
// the data layer's errors.

#include "data/DatabaseError.h"

#include <ibase.h> // the isc_* error codes (iberror.h)

#include <algorithm>
#include <optional>

namespace vorn::data {

namespace {

std::optional<ErrorCategory> categoryOf(std::intptr_t code) {
    switch (code) {
    // The attachment is dead or never came about, but the server may well be back (it was
    // restarted, the network dropped): unable to complete the network request, error reading
    // or writing the connection, connection to the database lost, connection lost; and the
    // attach that the server did not answer within the connect time limit (a frozen or overloaded
    // server), which the client reports as a rejected connection.
    case isc_connect_reject:
    case isc_network_error:
    case isc_net_read_err:
    case isc_net_write_err:
    case isc_lost_db_connection:
    case isc_conn_lost:
        return ErrorCategory::ConnectionLost;
    // User name and password not defined; a user name equal to a role's.
    case isc_login:
    case isc_login_same_as_role_name:
        return ErrorCategory::Authentication;
    // I/O error opening the file (no such file, no access), or a file that is no database.
    case isc_io_error:
    case isc_io_open_err:
    case isc_bad_db_format:
        return ErrorCategory::DatabaseMissing;
    // Arithmetic or conversion of a value: overflow, string truncation, conversion error.
    case isc_arith_except:
    case isc_convert_error:
    case isc_string_truncation:
    case isc_numeric_out_of_range:
        return ErrorCategory::Conversion;
    // Dynamic SQL errors: syntax, unknown table or column, missing rights.
    case isc_dsql_error:
    case isc_dsql_field_err:
    case isc_dsql_relation_err:
    case isc_no_priv:
        return ErrorCategory::Statement;
    default:
        return std::nullopt;
    }
}

} // namespace

ErrorCategory categoryOfGdsCodes(const std::vector<std::intptr_t>& codes) {
    // A lost link anywhere in the status decides: the attachment is gone, whatever the
    // statement was doing when it went.
    if (std::any_of(codes.begin(), codes.end(), [](std::intptr_t code) {
            return categoryOf(code) == ErrorCategory::ConnectionLost;
        }))
        return ErrorCategory::ConnectionLost;
    for (const std::intptr_t code : codes)
        if (const auto category = categoryOf(code))
            return *category;
    // Any other refusal of the server concerns the statement it was given.
    return ErrorCategory::Statement;
}

} // namespace vorn::data
