#include "data/FieldName.h"

#include <algorithm>

namespace vorn::data {

namespace {

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

bool sameFieldName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return upper(x) == upper(y); });
}

std::string asciiUpper(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        c = upper(c);
    return out;
}

int findField(const std::vector<FieldDef>& fields, std::string_view name) {
    for (std::size_t f = 0; f < fields.size(); ++f)
        if (sameFieldName(fields[f].name, name))
            return static_cast<int>(f);
    return -1;
}

} // namespace vorn::data
