#include "platform/ProfileText.h"

#include "platform/Codepage.h"

namespace vorn::platform {

namespace {

enum class LineKind { Other, Section, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    QString name;
    QString value;
};

bool isBlank(QChar c) {
    // The ASCII blanks except the line feed, which never reaches a line's content.
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\r' || u == u'\v' || u == u'\f';
}

QString trimBlanks(QStringView text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.sliced(from, to - from).toString();
}

QString unquote(const QString& value) {
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            return value.sliced(1, value.size() - 2);
    }
    return value;
}

ParsedLine parse(const QString& content) {
    const QString text = trimBlanks(content);
    if (text.isEmpty() || text.front() == u';')
        return {};
    if (text.front() == u'[') {
        const qsizetype close = text.indexOf(u']');
        const QStringView name = QStringView(text).sliced(1, (close < 0 ? text.size() : close) - 1);
        return {LineKind::Section, trimBlanks(name), {}};
    }
    const qsizetype equals = text.indexOf(u'=');
    if (equals <= 0)
        return {};
    QString key = trimBlanks(QStringView(text).first(equals));
    if (key.isEmpty())
        return {};
    return {LineKind::Entry, std::move(key),
            unquote(trimBlanks(QStringView(text).sliced(equals + 1)))};
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasLineBreak(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

void checkNames(const QString& section, const QString& key, const QString& value) {
    const QString s = trimBlanks(section);
    const QString k = trimBlanks(key);
    if (s.isEmpty() || hasLineBreak(section) || section.contains(u']'))
        throw ProfileError(QStringLiteral("Nome de seção inválido: \"%1\".").arg(section));
    if (k.isEmpty() || hasLineBreak(key) || key.contains(u'=') || k.front() == u';' ||
        k.front() == u'[')
        throw ProfileError(QStringLiteral("Nome de chave inválido: \"%1\".").arg(key));
    if (hasLineBreak(value))
        throw ProfileError(
            QStringLiteral("O valor da chave %1 contém uma quebra de linha.").arg(key));
}

} // namespace

ProfileError::ProfileError(const QString& message) : std::runtime_error(message.toStdString()) {}

ProfileText::ProfileText(QByteArray bytes) : bytes_(std::move(bytes)) {
    if (bytes_.startsWith("\xFF\xFE")) {
        encoding_ = Encoding::Utf16;
        start_ = 2;
    } else if (bytes_.startsWith("\xEF\xBB\xBF")) {
        encoding_ = Encoding::Utf8;
        start_ = 3;
    }
}

std::vector<ProfileText::Line> ProfileText::lines() const {
    // Lines are split on the code unit LF; a CR right before it belongs to the line end. In a
    // UTF-16 file an odd trailing byte stays part of the last line.
    const bool utf16 = encoding_ == Encoding::Utf16;
    const qsizetype unit = utf16 ? 2 : 1;
    const qsizetype size = bytes_.size();
    auto unitAt = [&](qsizetype i) -> char16_t {
        if (!utf16)
            return static_cast<unsigned char>(bytes_[i]);
        return static_cast<char16_t>(static_cast<unsigned char>(bytes_[i]) |
                                     (static_cast<unsigned char>(bytes_[i + 1]) << 8));
    };
    std::vector<Line> result;
    qsizetype begin = start_;
    for (qsizetype i = start_; i + unit <= size; i += unit) {
        if (unitAt(i) != u'\n')
            continue;
        const qsizetype contentEnd =
            (i - unit >= begin && unitAt(i - unit) == u'\r') ? i - unit : i;
        result.push_back({begin, contentEnd, i + unit});
        begin = i + unit;
    }
    if (begin < size)
        result.push_back({begin, size, size});
    return result;
}

QString ProfileText::content(const Line& line) const {
    const qsizetype length = line.contentEnd - line.begin;
    if (encoding_ == Encoding::Windows1252)
        return fromAnsi(std::string_view(bytes_.constData() + line.begin, size_t(length)));
    if (encoding_ == Encoding::Utf8)
        return QString::fromUtf8(bytes_.constData() + line.begin, length);
    QString text;
    text.reserve(length / 2);
    for (qsizetype i = line.begin; i + 2 <= line.contentEnd; i += 2)
        text.append(QChar(static_cast<char16_t>(static_cast<unsigned char>(bytes_[i]) |
                                                (static_cast<unsigned char>(bytes_[i + 1]) << 8))));
    return text;
}

QByteArray ProfileText::encode(const QString& text) const {
    if (encoding_ == Encoding::Windows1252)
        return toAnsi(text);
    if (encoding_ == Encoding::Utf8)
        return text.toUtf8();
    QByteArray out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        out.append(static_cast<char>(c.unicode() & 0xFF));
        out.append(static_cast<char>(c.unicode() >> 8));
    }
    return out;
}

QByteArray ProfileText::lineEnd(const Line& line) const {
    return bytes_.sliced(line.contentEnd, line.end - line.contentEnd);
}

QByteArray ProfileText::preferredLineEnd(const std::vector<Line>& all) const {
    for (const Line& line : all)
        if (line.end > line.contentEnd)
            return lineEnd(line);
    return encode(QStringLiteral("\r\n"));
}

std::optional<QString> ProfileText::value(const QString& section, const QString& key) const {
    bool inSection = false;
    for (const Line& line : lines()) {
        const ParsedLine parsed = parse(content(line));
        if (parsed.kind == LineKind::Section) {
            if (inSection)
                return std::nullopt; // only the first matching section counts
            inSection = sameName(parsed.name, section);
        } else if (inSection && parsed.kind == LineKind::Entry && sameName(parsed.name, key)) {
            return parsed.value;
        }
    }
    return std::nullopt;
}

void ProfileText::setValue(const QString& section, const QString& key, const QString& value) {
    checkNames(section, key, value);
    const std::vector<Line> all = lines();
    const QByteArray entry = encode(key + u'=' + value);

    std::optional<size_t> header;
    for (size_t i = 0; i < all.size() && !header; ++i) {
        const ParsedLine parsed = parse(content(all[i]));
        if (parsed.kind == LineKind::Section && sameName(parsed.name, section))
            header = i;
    }

    if (!header) {
        const QByteArray eol = preferredLineEnd(all);
        QByteArray tail;
        if (!all.empty() && all.back().end == all.back().contentEnd)
            tail += eol; // the last line had no line end
        tail += encode(u'[' + section + u']') + eol + entry + eol;
        bytes_.append(tail);
        return;
    }

    size_t lastNonBlank = *header;
    for (size_t i = *header + 1; i < all.size(); ++i) {
        const QString text = content(all[i]);
        const ParsedLine parsed = parse(text);
        if (parsed.kind == LineKind::Section)
            break;
        if (parsed.kind == LineKind::Entry && sameName(parsed.name, key)) {
            bytes_.replace(all[i].begin, all[i].contentEnd - all[i].begin, entry);
            return;
        }
        if (!trimBlanks(text).isEmpty())
            lastNonBlank = i;
    }

    const Line& after = all[lastNonBlank];
    if (after.end == after.contentEnd) {
        // The section's last line is the file's last line and has no line end.
        const QByteArray eol = preferredLineEnd(all);
        bytes_.insert(after.end, eol + entry);
    } else {
        bytes_.insert(after.end, entry + lineEnd(after));
    }
}

} // namespace vorn::platform
