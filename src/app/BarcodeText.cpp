#include "app/BarcodeText.h"

#include "platform/Codepage.h"

#include <algorithm>
#include <cstring>

namespace vorn::app {

std::string NormalizaCodigoBarras(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n')
            out += c;
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    const auto first = std::find_if_not(out.begin(), out.end(), blank);
    const auto last = std::find_if_not(out.rbegin(), out.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

void PreencheBuffer(const QString& text, char* buffer, int maximo) {
    if (maximo < 0)
        return;
    std::memset(buffer, 0, static_cast<size_t>(maximo) + 1);
    const QByteArray ansi = platform::toAnsi(text);
    std::memcpy(buffer, ansi.constData(),
                static_cast<size_t>(std::min<qsizetype>(ansi.size(), maximo)));
}

} // namespace vorn::app
