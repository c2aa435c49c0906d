#include "data/FbStatus.h"

#include "platform/Codepage.h"

#include <QString>
#include <QStringDecoder>
#include <algorithm>
#include <array>

namespace vorn::data::fb {

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
    [[maybe_unused]] const QString decoded =
        utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (utf8.hasError())
        text = platform::ansiToUtf8(text);
    if (text.empty())
        text = "Firebird error " +
               (codes.empty() ? std::string("without a code") : std::to_string(codes.front()));
    return {text, std::move(codes)};
}

} // namespace vorn::data::fb
