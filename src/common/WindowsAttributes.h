#pragma once

// Windows file attribute bits for files on Linux.
//
// When a file carries Samba's "user.DOSATTRIB" extended attribute (where a Linux file server keeps
// the Windows attributes of the files it serves), its bits are the file's bits; the directory
// bit still follows the file type, as Samba itself does. Otherwise the bits come from the file's
// type, name and mode:
//   - directory (0x10) for a folder;
//   - hidden (0x2) when the name starts with ".";
//   - read-only (0x1) when the owner has no write permission;
//   - system (0x4) for a character or block device, a FIFO or a socket;
//   - archive (0x20) for a regular file (Windows sets it on every file written);
//   - normal (0x80) only when no other bit is set.
// Symbolic links are followed; a dangling link is described by the link itself.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace vorn::common {

namespace atributo {
inline constexpr std::uint32_t ReadOnly = 0x1;
inline constexpr std::uint32_t Hidden = 0x2;
inline constexpr std::uint32_t System = 0x4;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
inline constexpr std::uint32_t Normal = 0x80;
inline constexpr std::uint32_t Temporary = 0x100;
inline constexpr std::uint32_t Compressed = 0x800;
inline constexpr std::uint32_t Offline = 0x1000;
} // namespace atributo

// The attribute bits of `path`, or nothing when the path does not exist (or cannot be examined).
std::optional<std::uint32_t> windowsAttributes(const QString& path);

// The attribute bits stored in a "user.DOSATTRIB" value: the binary record of current Samba
// versions (levels 1 to 5) or the bare "0x.." hexadecimal text of older ones. Nothing when the
// value is neither.
std::optional<std::uint32_t> parseDosAttrib(const QByteArray& value);

} // namespace vorn::common
