#include "common/WildcardMask.h"

namespace vorn::common {

namespace {

// "*" and "?" only, over case-folded text. Greedy with one backtrack point: the last "*" seen.
bool plainMatch(const QString& name, const QString& mask) {
    qsizetype n = 0;
    qsizetype m = 0;
    qsizetype starMask = -1;
    qsizetype starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == u'?' || mask[m] == name[n])) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == u'*') {
            starMask = m++;
            starName = n;
        } else if (starMask >= 0) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*')
        ++m;
    return m == mask.size();
}

} // namespace

bool wildcardMatches(const QString& name, const QString& mask) {
    if (mask.isEmpty())
        return false;
    const QString n = name.toCaseFolded();
    const QString m = mask.toCaseFolded();
    if (m == QLatin1String("*") || m == QLatin1String("*.*"))
        return true;
    if (m.endsWith(QLatin1String(".*")))
        return plainMatch(n, m) || (!n.contains(u'.') && plainMatch(n, m.chopped(2)));
    if (m.endsWith(u'.') && !m.endsWith(QLatin1String("..")))
        return !n.contains(u'.') && plainMatch(n, m.chopped(1));
    return plainMatch(n, m);
}

} // namespace vorn::common
