#pragma once

// Shortcut creation: writes a freedesktop desktop entry ("<link name>.desktop") that starts a
// program, into one of the current user's folders chosen by a location code. The server writes
// its autostart entry with it at every start, so that the desktop session starts the server at
// each logon of the user.

#include <QString>
#include <cstdint>

namespace vorn::common {

// `locationCode` chooses the user folder; 6 is the autostart folder, any code without a folder of
// its own is the desktop. The whole table is in CriaAtalho.cpp.
//
// Writes the entry `linkName`.desktop that runs `target` with `arguments` in `workingDir`:
//  - folder = the location's folder + "/" + `subfolder`; that one folder is created when missing
//    (the location's folder itself is created with its parents, mode 0700, when missing);
//  - entry file = folder + `linkName` + ".desktop". No separator goes between `subfolder` and
//    `linkName`: an empty subfolder puts the entry straight into the location's folder, and a
//    subfolder meant to hold the entry must end with "/" itself ("Sub" without it gives the
//    folder Sub and, beside it, the entry "Sub<linkName>.desktop").
// `arguments` is one command-line text; it is split into words as Windows splits a command line
// (blanks separate words, double quotes group them, backslashes escape only before a quote).
// An existing entry of that name is replaced whole: the new text is written to a temporary file
// that then takes the entry's name, so the entry is never seen half written.
// Nothing is reported and nothing is thrown: an entry that cannot be written is simply missing.
void CriaAtalho(const QString& target, const QString& arguments, const QString& workingDir,
                const QString& linkName, const QString& subfolder, std::uint8_t locationCode);

} // namespace vorn::common
