#pragma once

// The message dialog's rules that need no widget: its kinds, the width band of a text, the
// captions of the confirmation buttons, the text shown for an error too long for the dialog, and
// the check of a requested value. The dialog (Msg.h) applies them.

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

namespace vorn::ui {

enum class TFormatoPedidoInformacao {
    tfTexto,
    tfInteiro,
    tfNumerico,
    tfTextoLista,
    tfData,
    tfPass
};

enum class TipoMsg {
    Sucesso,
    Erro,
    AvisoImportante,
    AvisoOutros,
    AvisoHelps,
    ConfirmacaoSimples,
    ConfirmacaoAtencao,
    ConfirmacaoErro,
    PedidoInformacao
};

// Width of a dialog for the text shown: 320 + 7 x band(length) + 10 x line breaks (CR LF).
int FaixaLarguraMsg(qsizetype comprimento);
int LarguraMsg(const QString& texto);
// Button captions of the confirmations: " (enter)" added below 10 characters, " (ESC)" below 12.
QString LegendaBotUm(const QString& VLabelBotUm);
QString LegendaBotTres(const QString& VLabelBotTres);
// The text shown instead of an error longer than 1000 characters that went to `arquivo`.
QString TextoErroLongo(const QString& arquivo);
// A date typed in the locale's short date order (day, month and year as numbers separated by "/"
// or the locale's separator; two-digit years fall in 1950-2049); std::nullopt when it is not a
// real date after 30/12/1899.
std::optional<QDate> TextoParaData(const QString& texto, const QLocale& local);
// Whether the value returned by a request is a usable value of its kind.
bool ResultadoPedidoInformacao(TFormatoPedidoInformacao tipo, const QString& VResult,
                               const QLocale& local);

} // namespace vorn::ui
