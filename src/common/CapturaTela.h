#pragma once

// Screen capture: a picture of the whole primary screen, compressed as JPEG (quality 90), stored
// in a file, put on the clipboard, or both. Call on the user-interface thread (it uses the
// clipboard and the screen).

#include <QString>

namespace vorn::common {

// 1. When `arquivo` is not empty and exists, it is deleted first; when that fails, MensagemErro
//    shows "Não foi possível gerar o print. Parece que o arquivo <arquivo> está aberto." and
//    nothing is captured (the clipboard is not touched either).
// 2. The screen is grabbed at its full size in device pixels and compressed as JPEG, quality 90.
// 3. A non-empty `arquivo` receives the JPEG file; with `paraClipboard` the clipboard receives
//    the decompressed picture as an image.
// A screen that cannot be grabbed (a platform that refuses screen captures) or a file that cannot
// be written throws std::runtime_error.
void CapturaTela(bool paraClipboard, const QString& arquivo);

} // namespace vorn::common
