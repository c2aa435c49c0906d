#pragma once

// The program's 8-bit ("ANSI") code page is Windows-1252 on every platform: it is the character
// set of the shop's database (WIN1252), of the settings files and of the texts exchanged with the
// terminals. A character that Windows-1252 lacks becomes "?".

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace vorn::platform {

// Unicode <-> Windows-1252.
QByteArray toAnsi(const QString& text);
QString fromAnsi(std::string_view bytes);
inline QString fromAnsi(const QByteArray& bytes) {
    return fromAnsi(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

// UTF-8 <-> Windows-1252 for code that works on std::string.
std::string utf8ToAnsi(std::string_view utf8);
std::string ansiToUtf8(std::string_view ansi);

// The Unicode code point of one Windows-1252 byte (bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D, which
// Windows-1252 leaves undefined, map to the C1 control of the same value, as Windows does).
char32_t ansiToUnicode(unsigned char byte);
// The Windows-1252 byte of a code point, or '?' when the code page lacks it.
unsigned char unicodeToAnsi(char32_t codePoint);

} // namespace vorn::platform
