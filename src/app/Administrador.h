#pragma once

#include <QString>
#include <string>

namespace vorn::app {

// Whether one row of USUARIOS accepts the typed password: ADMINISTRADOR exactly "S" and PASS,
// Base64 of the password's UTF-8 bytes, decoding to exactly the typed text. A PASS that is not
// valid Base64 accepts nothing (the check goes on with the next row).
bool SenhaDeAdministradorConfere(const std::string& administrador, const QString& passBase64,
                                 const QString& digitada);

} // namespace vorn::app
