#pragma once

#include <QString>
#include <QStringList>

namespace vorn::common {

// Writes a zip archive of the files named by `entries`, in order. An entry is a file path or a
// pattern whose last component holds wildcards (*, ?, [...]); a pattern adds the regular files
// lying directly in its folder that match it, in name order (no recursion) and may match none. A
// plain path must name a readable regular file. Each file is stored under its own name, without
// folders. A non-empty password encrypts every entry with the traditional PKWARE method, the one
// every unzip tool opens; an empty one writes a plain archive. No entries writes a valid empty
// archive.
//
// The archive is written to a temporary file beside `archivePath` and renamed over it at the
// end, so a failure leaves whatever was there before untouched and no partial file. False, with
// the reason in `error`, on the first entry that cannot be added or when writing fails.
bool writeZipArchive(const QString& archivePath, const QStringList& entries,
                     const QString& password, QString& error);

} // namespace vorn::common
