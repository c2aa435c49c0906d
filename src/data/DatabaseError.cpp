#include "data/DatabaseError.h"

#include "data/FbStatus.h"
#include "platform/Codepage.h"

#include <QString>
#include <QStringDecoder>
#include <algorithm>
#include <array>

namespace vorn::data {

namespace {

// Codes after which the attachment is dead but the server may well be back (it was restarted,
// the network dropped): connection lost, error reading or writing the connection, connection
// to the database lost, unable to complete the network request.
constexpr std::array<std::intptr_t, 5> kLostLinkCodes = {
    335544721, // isc_network_error
    335544726, // isc_net_read_err
    335544727, // isc_net_write_err
    335544741, // isc_lost_db_connection
    335544648, // isc_conn_lost
};

} // namespace

DatabaseError::DatabaseError(const std::string& message, std::vector<std::intptr_t> codes)
    : std::runtime_error(message), codes_(std::move(codes)) {}

bool DatabaseError::lostLink() const {
    return std::any_of(codes_.begin(), codes_.end(), [](std::intptr_t code) {
        return std::find(kLostLinkCodes.begin(), kLostLinkCodes.end(), code) !=
               kLostLinkCodes.end();
    });
}

namespace fb {

DatabaseError Status::error() {
    // The codes: every isc_arg_gds entry of the error vector.
    std::vector<std::intptr_t> codes;
    const std::intptr_t* v = wrapper_.getErrors();
    while (v != nullptr && *v != isc_arg_end) {
        const std::intptr_t kind = v[0];
        if (kind == isc_arg_gds)
            codes.push_back(v[1]);
        v += (kind == isc_arg_cstring) ? 3 : 2;
    }
    std::array<char, 4096> buffer{};
    const unsigned length = client_.util()->formatStatus(
        buffer.data(), static_cast<unsigned>(buffer.size()), &wrapper_);
    std::string text(buffer.data(), std::min<std::size_t>(length, buffer.size()));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    // Messages name files and objects in the bytes the server has; show them as UTF-8 when
    // they are, else read them as Windows-1252 (the database's character set).
    QStringDecoder utf8(QStringDecoder::Utf8);
    [[maybe_unused]] const QString decoded = utf8(QByteArrayView(text.data(), text.size()));
    if (utf8.hasError())
        text = platform::ansiToUtf8(text);
    if (text.empty())
        text = "Firebird error " +
               (codes.empty() ? std::string("without a code") : std::to_string(codes.front()));
    return DatabaseError(text, std::move(codes));
}

} // namespace fb

} // namespace vorn::data
