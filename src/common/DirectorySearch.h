#pragma once

// The directory search of the file utilities: the entries of one folder whose names match a
// Windows wildcard mask, every kind of entry included (hidden ones too), "." and ".." never.
// Entries come sorted by name without regard to case, the order a Windows file server lists
// them in, so the results do not depend on the order the file system happens to keep.

#include <QString>
#include <cstdint>
#include <vector>

namespace vorn::common {

struct EntradaDiretorio {
    QString nome;            // the entry's name
    QString caminho;         // folder + name
    std::uint32_t atributos; // Windows attribute bits (see WindowsAttributes.h)

    bool ehDiretorio() const;
};

// Searches `padrao`, a folder path followed by a mask ("/srv/dados/*.xml"): the folder is
// everything up to the last "/", the mask what follows it. A missing or unreadable folder, or a
// pattern without a folder, gives no entries.
std::vector<EntradaDiretorio> buscaDiretorio(const QString& padrao);

} // namespace vorn::common
