#pragma once

// Common helpers shared by the server window, the dialogs and the file utilities: settings-file
// access, the error box, and small text helpers. They hold no state of their own and are called on
// the user-interface thread only.

#include <QMessageBox>
#include <QString>
#include <cstdint>

namespace vorn::common {

// ---- Settings (INI) files; `VArquivo` is always a full path
// --------------------------------------

// The value of `VChave` in `VSecao`, or `VPadrao` when the file, the section or the key is missing
// or the file cannot be read. Never reports anything.
QString LeIniString(const QString& VArquivo, const QString& VSecao, const QString& VChave,
                    const QString& VPadrao);
// A boolean stored as an integer: non-zero is true, zero is false; a missing value or one that
// does not read as a decimal integer gives `VPadrao`.
bool LeIniBool(const QString& VArquivo, const QString& VSecao, const QString& VChave, bool VPadrao);

// Writes the value, creating missing folders, the file and the section. A failure is shown once
// through MensagemErro and then swallowed: the caller carries on as if the write had been done.
void GravaIniString(const QString& VArquivo, const QString& VSecao, const QString& VChave,
                    const QString& VValor);
// Writes `1` or `0`, with the failure handling of GravaIniString.
void GravaIniBool(const QString& VArquivo, const QString& VSecao, const QString& VChave,
                  bool VValor);

// ---- Messages -----------------------------------------------------------------------------------

// Modal error box: caption "Houve um erro", stop icon, OK only. Returns the button pressed
// (always OK). Under the offscreen platform the text goes to standard error instead.
QMessageBox::StandardButton MensagemErro(const QString& VMensagem);

// ---- Text helpers -------------------------------------------------------------------------------

// `VTexto` trimmed, with zeros put in front until it is `VTamanho` long; never cut. Throws
// std::runtime_error when `VTamanho` is 0.
QString ZeroLeft(const QString& VTexto, std::int32_t VTamanho);
// `VQuantidade` random decimal digits (empty for 0 or less).
QString DigitosAleatorios(std::int32_t VQuantidade);
// Standard Base64 (RFC 2045 alphabet) decoded and read as UTF-8. Throws std::runtime_error when
// the text is not valid Base64.
QString DecodificaBase64(const QString& VTexto);
// `VTexto` with its last character replaced by `VNovo`; when `VSoSeIgual` is true, only if that
// last character is `VAntigo`.
QString TrocaUltimoCaractere(const QString& VTexto, const QString& VAntigo, const QString& VNovo,
                             bool VSoSeIgual);
// The start of `VTexto` up to and including the `VOcorrencia`-th `VCaractere`; the whole text
// when it holds fewer.
QString CopiaAteOcorrencia(const QString& VTexto, const QString& VCaractere,
                           std::int32_t VOcorrencia);
// How many times `VSubTexto` occurs in `VTexto`, overlapping occurrences included.
std::int32_t ContaOcorrencias(const QString& VSubTexto, const QString& VTexto);

// ---- Developer machine --------------------------------------------------------------------------

// True exactly when the developer marker file holds the marker value under Geral/chaveIdent.
bool MaquinaDesenvolvimento();

} // namespace vorn::common
