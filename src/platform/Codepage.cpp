#include "platform/Codepage.h"

#include <QList>
#include <array>

namespace vorn::platform {

namespace {

// 0x80..0x9F of Windows-1252; the rest of the code page equals ISO 8859-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

char32_t ansiToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

unsigned char unicodeToAnsi(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<unsigned char>(cp);
    for (size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == cp)
            return static_cast<unsigned char>(0x80 + i);
    return '?';
}

QByteArray toAnsi(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    const auto ucs4 = text.toUcs4();
    for (auto cp : ucs4)
        out.append(static_cast<char>(unicodeToAnsi(cp)));
    return out;
}

QString fromAnsi(std::string_view bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (unsigned char b : bytes)
        out.append(QChar(static_cast<char16_t>(ansiToUnicode(b))));
    return out;
}

std::string utf8ToAnsi(std::string_view utf8) {
    const QByteArray a =
        toAnsi(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    return {a.constData(), static_cast<size_t>(a.size())};
}

std::string ansiToUtf8(std::string_view ansi) {
    const QByteArray u = fromAnsi(ansi).toUtf8();
    return {u.constData(), static_cast<size_t>(u.size())};
}

} // namespace vorn::platform
