#pragma once

// Deletes a folder tree permanently (there is no recycle bin here), the way the Windows shell's
// delete does it for the file utilities: a deletion that runs longer than a moment shows a
// progress window with a Cancel button, and whatever could not be deleted is listed to the
// operator once, in one error box. Symbolic links are removed as links, never followed, so
// nothing outside the named folder is touched.

#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>

class QWidget;

namespace vorn::common {

struct OpcoesRemocao {
    // Keep the folder itself and delete only what it holds.
    bool manterPasta = false;
    // The progress window appears once the deletion has run this long.
    std::chrono::milliseconds progressoApos{1000};
    // Owner of the progress window; may be null.
    QWidget* janela = nullptr;
};

// Deletes `pasta` (a folder, or a file or link standing at that path when the folder itself is to
// go). Returns what could not be deleted, one "path: reason" per item, the same list the error
// box showed; empty when all went well or the operator cancelled. Never throws.
QStringList removePasta(const QString& pasta, const OpcoesRemocao& opcoes);

} // namespace vorn::common
