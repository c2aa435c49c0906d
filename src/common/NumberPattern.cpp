#include "common/NumberPattern.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace vorn::common {

namespace {

struct Token {
    enum Kind { Literal, Zero, Hash, Point } kind;
    QString text; // Literal only
};

struct Section {
    std::vector<Token> tokens;
    bool thousands = false;
    int intCount = 0; // digit placeholders before the point
    int minInt = 0;   // of those, how many from the first '0' on
    int fracCount = 0;
    int minFrac = 0; // placeholders after the point up to the last '0'
};

// Splits at ';' outside quotes.
std::vector<QString> splitSections(const QString& pattern) {
    std::vector<QString> out(1);
    QChar quote;
    for (QChar c : pattern) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u';') {
            out.emplace_back();
            continue;
        }
        out.back().append(c);
    }
    return out;
}

Section parseSection(const QString& text) {
    Section s;
    bool afterPoint = false;
    auto literal = [&s](QString piece) {
        if (!s.tokens.empty() && s.tokens.back().kind == Token::Literal)
            s.tokens.back().text += piece;
        else
            s.tokens.push_back({Token::Literal, std::move(piece)});
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\'' || c == u'"') {
            const qsizetype end = text.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? text.size() : end;
            literal(text.mid(i + 1, stop - i - 1));
            i = stop;
        } else if (c == u'0' || c == u'#') {
            const bool zero = c == u'0';
            s.tokens.push_back({zero ? Token::Zero : Token::Hash, {}});
            if (afterPoint) {
                ++s.fracCount;
                if (zero)
                    s.minFrac = s.fracCount;
            } else {
                ++s.intCount;
                if (zero || s.minInt > 0)
                    ++s.minInt;
            }
        } else if (c == u'.' && !afterPoint) {
            afterPoint = true;
            s.tokens.push_back({Token::Point, {}});
        } else if (c == u',') {
            if (!afterPoint)
                s.thousands = true;
        } else {
            literal(QString(c));
        }
    }
    return s;
}

// Integer and fraction digits of |value| rounded half away from zero to `decimals` places.
struct Rounded {
    std::string intDigits;  // without leading zeros; empty for zero
    std::string fracDigits; // exactly `decimals` digits
    bool isZero() const {
        return intDigits.empty() && fracDigits.find_first_not_of('0') == std::string::npos;
    }
};

Rounded roundTo(const Decimal& value, int decimals) {
    std::string digits = value.digits.empty() ? "0" : value.digits;
    int scale = value.scale;
    if (scale < 0) {
        digits.append(static_cast<size_t>(-scale), '0');
        scale = 0;
    }
    // At least one integer digit, so cutting below never runs past the front.
    if (static_cast<int>(digits.size()) <= scale)
        digits.insert(0, static_cast<size_t>(scale - static_cast<int>(digits.size())) + 1, '0');
    if (scale <= decimals) {
        digits.append(static_cast<size_t>(decimals - scale), '0');
    } else {
        const size_t keep = digits.size() - static_cast<size_t>(scale - decimals);
        const bool up = digits[keep] >= '5';
        digits.resize(keep);
        if (up) {
            size_t i = digits.size();
            while (i > 0 && digits[i - 1] == '9')
                digits[--i] = '0';
            if (i == 0)
                digits.insert(0, 1, '1');
            else
                ++digits[i - 1];
        }
    }
    Rounded r;
    const size_t intLen = digits.size() - static_cast<size_t>(decimals);
    r.intDigits = digits.substr(0, intLen);
    r.fracDigits = digits.substr(intLen);
    const size_t first = r.intDigits.find_first_not_of('0');
    r.intDigits = first == std::string::npos ? std::string() : r.intDigits.substr(first);
    return r;
}

QString render(const Section& s, const Rounded& r, const QLocale& locale) {
    std::string intDigits = r.intDigits;
    if (static_cast<int>(intDigits.size()) < s.minInt)
        intDigits.insert(0, static_cast<size_t>(s.minInt - static_cast<int>(intDigits.size())),
                         '0');
    std::string frac = r.fracDigits;
    while (static_cast<int>(frac.size()) > s.minFrac && frac.back() == '0')
        frac.pop_back();

    const QString group = locale.groupSeparator();
    const int n = static_cast<int>(intDigits.size());
    // Emits the digit at position p (counted from the right, 0 = units) and the group
    // separator that follows it.
    auto digitAt = [&](QString& out, int p) {
        out += QChar::fromLatin1(intDigits[static_cast<size_t>(n - 1 - p)]);
        if (s.thousands && p > 0 && p % 3 == 0)
            out += group;
    };

    QString out;
    int intPos = s.intCount; // position of the next integer placeholder, plus one
    int fracIndex = 0;
    for (const Token& t : s.tokens) {
        switch (t.kind) {
        case Token::Literal:
            out += t.text;
            break;
        case Token::Point:
            if (!frac.empty())
                out += locale.decimalPoint();
            break;
        case Token::Zero:
        case Token::Hash:
            if (intPos > 0) {
                const int p = --intPos;
                if (p == s.intCount - 1) {
                    // The leftmost placeholder takes every digit the pattern has no room for.
                    for (int q = n - 1; q >= p; --q)
                        digitAt(out, q);
                } else if (p < n) {
                    digitAt(out, p);
                }
            } else {
                if (fracIndex < static_cast<int>(frac.size()))
                    out += QChar::fromLatin1(frac[static_cast<size_t>(fracIndex)]);
                ++fracIndex;
            }
            break;
        }
    }
    return out;
}

} // namespace

Decimal Decimal::fromScaled(std::int64_t scaled, int scale) {
    Decimal d;
    d.negative = scaled < 0;
    const std::uint64_t magnitude =
        d.negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    d.digits = std::to_string(magnitude);
    d.scale = scale;
    return d;
}

Decimal Decimal::fromDouble(double value) {
    Decimal d;
    if (!std::isfinite(value))
        return d;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    const std::string text(buf, res.ptr);
    size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        d.negative = true;
        ++i;
    }
    std::string digits;
    int scale = 0;
    bool afterPoint = false;
    for (; i < text.size() && text[i] != 'e'; ++i) {
        if (text[i] == '.') {
            afterPoint = true;
            continue;
        }
        digits += text[i];
        if (afterPoint)
            ++scale;
    }
    if (i < text.size())
        scale -= std::stoi(text.substr(i + 1));
    d.digits = digits.empty() ? "0" : digits;
    d.scale = scale;
    if (d.digits.find_first_not_of('0') == std::string::npos)
        d.negative = false;
    return d;
}

QString formatNumberPattern(const QString& pattern, const Decimal& value, const QLocale& locale) {
    const std::vector<QString> sections = splitSections(pattern);
    const bool useNegative = value.negative && sections.size() > 1 && !sections[1].isEmpty();
    const Section main = parseSection(useNegative ? sections[1] : sections[0]);
    const Rounded r = roundTo(value, main.fracCount);
    if (r.isZero()) {
        if (sections.size() > 2 && !sections[2].isEmpty()) {
            const Section zero = parseSection(sections[2]);
            return render(zero, roundTo(Decimal{}, zero.fracCount), locale);
        }
        return render(main, r, locale);
    }
    const QString text = render(main, r, locale);
    return value.negative && !useNegative ? QStringLiteral("-") + text : text;
}

QString formatPrice(std::int64_t scaledBy10000, const QLocale& locale) {
    return formatNumberPattern(QString::fromLatin1(kPriceMask),
                               Decimal::fromScaled(scaledBy10000, 4), locale);
}

} // namespace vorn::common
