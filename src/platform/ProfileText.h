#pragma once

// The text of one profile (INI) file, read and changed with the semantics of the Windows profile
// functions, which settings files written by the shop's other programs and by technicians rely on:
//
// - a section starts at a line "[name]"; a setting is a line "key=value" inside a section;
// - section and key names compare case-insensitively; the first matching section, and in it the
//   first matching key, win (later duplicates are never seen);
// - blanks around names and values are trimmed; one pair of matching quotes ('…' or "…") around a
//   value is removed; lines starting with ";" are comments; lines before the first section and
//   lines without "=" are ignored;
// - CR LF and LF line ends are both accepted;
// - a file starting with the UTF-16 LE byte-order mark is UTF-16 LE, one starting with the UTF-8
//   byte-order mark (as Notepad saves) is UTF-8, any other is Windows-1252.
//
// Changing a value rewrites only that line; a new key goes after the last non-blank line of its
// section, a new section at the end of the file, each in the file's own encoding. Every other
// byte (the byte-order mark, comments, blank lines, line ends, bytes that do not decode) stays as
// it was. An empty text becomes Windows-1252 with CR LF.

#include <QByteArray>
#include <QString>
#include <optional>
#include <stdexcept>
#include <vector>

namespace vorn::platform {

// A profile operation that failed; what() is the failure's own message (Portuguese, for the
// technician who reads it in an error box).
class ProfileError : public std::runtime_error {
public:
    explicit ProfileError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

class ProfileText {
public:
    explicit ProfileText(QByteArray bytes = {});

    // The value, or nothing when the section or the key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;

    // Sets the value (creating key and section as needed). Throws ProfileError for names or
    // values that would change the file's structure: a line break anywhere, a section name with
    // "]", a key name with "=" or starting with ";" or "[", an empty name.
    void setValue(const QString& section, const QString& key, const QString& value);

    enum class Encoding { Windows1252, Utf8, Utf16 };

    const QByteArray& bytes() const { return bytes_; }
    Encoding encoding() const { return encoding_; }

private:
    struct Line {
        qsizetype begin;      // first byte of the line
        qsizetype contentEnd; // first byte of its line end (or the end of the file)
        qsizetype end;        // first byte after its line end
    };

    std::vector<Line> lines() const;
    QString content(const Line& line) const;
    QByteArray encode(const QString& text) const;
    QByteArray lineEnd(const Line& line) const;
    QByteArray preferredLineEnd(const std::vector<Line>& lines) const;

    QByteArray bytes_;
    Encoding encoding_ = Encoding::Windows1252;
    qsizetype start_ = 0; // after the byte-order mark
};

} // namespace vorn::platform
