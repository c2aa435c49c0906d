#include "platform/CodepageCollation.h"

#include "platform/Codepage.h"

#include <QChar>
#include <QString>
#include <algorithm>

namespace vorn::platform {

const std::array<unsigned char, 256>& upperAnsiTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<unsigned char>(b);
            t[b] = byte;
            const char32_t cp = ansiToUnicode(byte);
            const char32_t up = QChar::toUpper(cp);
            if (up != cp) {
                const unsigned char mapped = unicodeToAnsi(up);
                if (mapped != '?')
                    t[b] = mapped;
            }
        }
        return t;
    }();
    return table;
}

unsigned char upperAnsi(unsigned char byte) {
    return upperAnsiTable()[byte];
}

std::string upperAnsi(std::string_view text) {
    std::string out(text);
    const auto& table = upperAnsiTable();
    for (char& c : out)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

const std::array<unsigned char, 256>& collationWeights() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<unsigned char>(b);
            const char32_t cp = ansiToUnicode(byte);
            char32_t base = cp;
            if (QChar::decompositionTag(cp) == QChar::Canonical) {
                const QString d = QChar::decomposition(cp);
                if (!d.isEmpty())
                    base = d.at(0).unicode();
            }
            const char32_t baseUpper = QChar::toUpper(base);
            if (baseUpper >= 'A' && baseUpper <= 'Z') {
                t[b] = static_cast<unsigned char>(baseUpper);
                continue;
            }
            const unsigned char upper = unicodeToAnsi(QChar::toUpper(cp));
            t[b] = upper != '?' ? upper : byte;
        }
        return t;
    }();
    return table;
}

int collateAnsi(std::string_view a, std::string_view b) {
    const auto& w = collationWeights();
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < n; ++k) {
        const unsigned char x = w[static_cast<unsigned char>(a[k])];
        const unsigned char y = w[static_cast<unsigned char>(b[k])];
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int raw = a.compare(b);
    return raw < 0 ? -1 : raw > 0 ? 1 : 0;
}

} // namespace vorn::platform
