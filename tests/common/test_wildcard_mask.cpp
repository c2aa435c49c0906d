#include "common/WildcardMask.h"

#include <gtest/gtest.h>

using vorn::common::wildcardMatches;

namespace {

TEST(WildcardMask, WindowsRules) {
    const struct {
        const char* name;
        const char* mask;
        bool matches;
    } cases[] = {
        // Every name, with and without a dot.
        {"nota.xml", "*.*", true},
        {"LEIAME", "*.*", true},
        {".oculto", "*.*", true},
        {"LEIAME", "*", true},
        // Extension masks, without regard to case.
        {"nota.xml", "*.xml", true},
        {"NOTA.XML", "*.xml", true},
        {"nota.xml.bak", "*.xml", false},
        {"nota.xmlx", "*.xml", false},
        {"xml", "*.xml", false},
        {"Ação.TXT", "ação.txt", true},
        // "?" is exactly one character.
        {"a1.txt", "a?.txt", true},
        {"a.txt", "a?.txt", false},
        {"a12.txt", "a?.txt", false},
        // A trailing ".*" also matches the bare name; a trailing "." only names without a dot.
        {"nota", "nota.*", true},
        {"nota.txt", "nota.*", true},
        {"notas", "nota.*", false},
        {"LEIAME", "*.", true},
        {"nota.txt", "*.", false},
        {"nota", "nota.", true},
        // Backtracking over several stars.
        {"abcabcd.txt", "*abcd*.txt", true},
        {"abcabce.txt", "*abcd*.txt", false},
        // An empty mask matches nothing; "[" is an ordinary character.
        {"nota.xml", "", false},
        {"[1].txt", "[1].txt", true},
        {"1.txt", "[1].txt", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wildcardMatches(QString::fromUtf8(c.name), QString::fromUtf8(c.mask)), c.matches)
            << c.name << " ~ " << c.mask;
}

} // namespace
