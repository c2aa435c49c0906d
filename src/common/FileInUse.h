#pragma once

// Whether a file is in use. Linux has no share modes, so "in use" means another open descriptor
// for the file exists, for any access, in any process (ours included).
//
// The check first asks the kernel for a write lease on a descriptor of our own: Linux grants one
// only when no other descriptor for the file is open anywhere. Where a lease cannot be had for
// other reasons (a file we do not own, a file system without leases), the descriptors listed
// under /proc/*/fd are compared with the file instead; processes of other users whose folders we
// may not read stay unseen there.

#include <QString>

namespace vorn::common {

// True when the file is open elsewhere, cannot be opened for reading, or does not exist.
bool arquivoEstaEmUso(const QString& arquivo);

// The /proc way alone: true when some process other than the descriptor `exceto` of this
// process has the file open. False when the file does not exist.
bool arquivoAbertoPorAlgumProcesso(const QString& arquivo, int exceto = -1);

} // namespace vorn::common
