#pragma once

// Profile (INI) files on disk, one read or one write per call: the file is opened, used and
// released again, so nothing is cached and a value written is seen by the next read. The
// semantics of the text are those of ProfileText. User-interface thread only (no locking).

#include "platform/ProfileText.h"

#include <QString>

namespace vorn::platform {

// Settings files are small; a larger file is treated as unreadable rather than loaded whole.
inline constexpr qsizetype kMaxProfileFileSize = 64 * 1024 * 1024;

// The value of `key` in `section` of `file` (a full path), or `defaultValue` when the file, the
// section or the key is missing, or the file cannot be read (not a regular file, unreadable,
// too large). Never throws for a file problem and never reports anything.
QString readProfileString(const QString& file, const QString& section, const QString& key,
                          const QString& defaultValue);

// The same, but a file that exists and cannot be read is not taken for a missing one: it throws
// ProfileError with the reason (a folder, no read permission, a loop of links, a link to a
// missing file, not a regular file, too large). A missing file, section or key gives
// `defaultValue`. For settings whose
// silent default would do harm, such as the sealed branch record.
QString readProfileStringStrict(const QString& file, const QString& section, const QString& key,
                                const QString& defaultValue);

// Writes the value into `file`, creating the file (not its folder) and the section as needed.
// Throws ProfileError with the failure's message when the file cannot be read back whole or
// written: a path that is a folder or not a regular file, a read-only file (no write permission
// bit at all, which holds for root too, as the read-only attribute does on Windows), a missing
// folder, a full disk.
void writeProfileString(const QString& file, const QString& section, const QString& key,
                        const QString& value);

} // namespace vorn::platform
