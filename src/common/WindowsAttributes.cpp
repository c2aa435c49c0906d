#include "common/WindowsAttributes.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace vorn::common {

namespace {

std::uint32_t readLe32(const QByteArray& bytes, qsizetype at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint16_t readLe16(const QByteArray& bytes, qsizetype at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

std::optional<std::uint32_t> parseHex(const QByteArray& text) {
    if (!text.startsWith("0x") && !text.startsWith("0X"))
        return std::nullopt;
    bool ok = false;
    const uint value = text.mid(2).toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<QByteArray> readDosAttrib(const QByteArray& nativePath) {
    char buffer[256];
    const ssize_t size = getxattr(nativePath.constData(), "user.DOSATTRIB", buffer, sizeof buffer);
    if (size < 0)
        return std::nullopt;
    return QByteArray(buffer, size);
}

} // namespace

std::optional<std::uint32_t> parseDosAttrib(const QByteArray& value) {
    // Layout: the attributes as "0x.." text ended by a zero byte (empty in the newer levels),
    // padding to an even offset, a 16-bit level repeated as the union's switch, padding to a
    // multiple of four, then the level's record. Little-endian throughout.
    const qsizetype zero = value.indexOf('\0');
    const QByteArray hex = zero < 0 ? value : value.left(zero);
    if (zero >= 0) {
        const qsizetype levelAt = (zero + 2) & ~qsizetype(1);
        if (value.size() >= levelAt + 4) {
            const std::uint16_t level = readLe16(value, levelAt);
            const qsizetype record = (levelAt + 4 + 3) & ~qsizetype(3);
            if (level == 1 && value.size() >= record + 4)
                return readLe32(value, record);
            if (level == 2 && value.size() >= record + 8)
                return readLe32(value, record + 4);
            if (level >= 3 && level <= 5 && value.size() >= record + 8) {
                constexpr std::uint32_t attribValid = 0x1;
                if (readLe32(value, record) & attribValid)
                    return readLe32(value, record + 4);
                return parseHex(hex);
            }
        }
    }
    return parseHex(hex);
}

std::optional<std::uint32_t> windowsAttributes(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (stat(native.constData(), &st) != 0 && lstat(native.constData(), &st) != 0)
        return std::nullopt;

    const bool isDir = S_ISDIR(st.st_mode);
    if (const auto stored = readDosAttrib(native)) {
        if (const auto bits = parseDosAttrib(*stored)) {
            std::uint32_t result = *bits & ~atributo::Directory;
            if (isDir)
                result |= atributo::Directory;
            return result;
        }
    }

    QString name = path;
    while (name.size() > 1 && name.endsWith(u'/'))
        name.chop(1);
    name = name.mid(name.lastIndexOf(u'/') + 1);

    std::uint32_t bits = 0;
    if (isDir)
        bits |= atributo::Directory;
    if (name.startsWith(u'.'))
        bits |= atributo::Hidden;
    if ((st.st_mode & S_IWUSR) == 0)
        bits |= atributo::ReadOnly;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))
        bits |= atributo::System;
    if (S_ISREG(st.st_mode))
        bits |= atributo::Archive;
    if (bits == 0)
        bits = atributo::Normal;
    return bits;
}

} // namespace vorn::common
