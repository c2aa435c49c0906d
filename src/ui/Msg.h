#pragma once

// TFMsg: the one way the program talks to the operator - success notes, warnings, error reports,
// yes/no confirmations and requests for a value. A borderless dialog that paints its own coloured
// header, message area and footer, stays above other windows and is shown application-modal:
// every operation prepares it from scratch, shows it, and returns when it has closed. Its nested
// event loop keeps serving every timer of the program, so terminals are answered while a dialog
// waits. User-interface thread only; one dialog at a time.

#include "ui/MsgRegras.h"

#include <QDate>
#include <QDialog>
#include <QLocale>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace vorn::ui {

class TMeuEdit;
class TPainelGradiente;
class TBotaoImagem;

// How a dialog closed.
enum TModalResult : int { mrNone = 0, mrCancel = 2, mrRetry = 4, mrYes = 6, mrNo = 7 };

// ---- Test seam
// -----------------------------------------------------------------------------------

// What a dialog showed (or, under ScopedMsgAnswers, would have shown).
struct ShownMsg {
    TipoMsg tipo = TipoMsg::Sucesso;
    QString cabecalho;  // header caption
    QString mensagem;   // the message text as shown (tab and line breaks included)
    QStringList botoes; // captions of the visible buttons, left to right
    QString outrasInf;  // the small bottom line, empty when hidden
    std::optional<TFormatoPedidoInformacao> pedido;
    QString valorInicial; // a request's control text before the operator touched it
    int largura = 0;
    int altura = 0;
};

// The operator's answer to one confirmation or request.
struct MsgAnswer {
    TModalResult resultado = mrCancel;
    std::optional<QString> valor; // a request: the text put into its control before OK

    static MsgAnswer sim() { return {mrYes, std::nullopt}; }
    static MsgAnswer nao() { return {mrNo, std::nullopt}; }
    static MsgAnswer cancela() { return {mrCancel, std::nullopt}; }
    // A request answered with OK after `texto` was typed (list: the item of that text is chosen).
    static MsgAnswer informa(const QString& texto) { return {mrYes, texto}; }
    // A request answered with OK and the control as prepared.
    static MsgAnswer ok() { return {mrYes, std::nullopt}; }
};

// While an object of this class lives, no TFMsg shows on screen and none waits: each operation is
// prepared as usual (texts, sizes, the long-error file), recorded in shown(), and closes at once.
// Confirmations and requests take the oldest queued answer; without one they close as a window
// closed otherwise would (confirmations false, requests with their control as prepared). Notes and
// errors take no answer. Scopes nest; the newest records. Create on the user-interface thread.
class ScopedMsgAnswers {
public:
    ScopedMsgAnswers();
    explicit ScopedMsgAnswers(std::initializer_list<MsgAnswer> respostas);
    ~ScopedMsgAnswers();
    ScopedMsgAnswers(const ScopedMsgAnswers&) = delete;
    ScopedMsgAnswers& operator=(const ScopedMsgAnswers&) = delete;

    void adiciona(const MsgAnswer& resposta) { respostas_.push_back(resposta); }
    const std::vector<ShownMsg>& shown() const { return shown_; }
    std::size_t pendentes() const { return respostas_.size(); }

private:
    friend class TFMsg;
    std::deque<MsgAnswer> respostas_;
    std::vector<ShownMsg> shown_;
    ScopedMsgAnswers* anterior_;
};

// ---- The dialog
// ----------------------------------------------------------------------------------

class TFMsg : public QDialog {
    Q_OBJECT
public:
    explicit TFMsg(QWidget* parent = nullptr);
    ~TFMsg() override;

    // A success note that closes itself after `VTempo` seconds (counting down on its bottom line)
    // or at the first key or click. A `VTempo` of 0 or less waits for the key or click.
    void Sucesso(const QString& VMsg, std::int16_t VTempo);
    // An error report; `VOutrasInf`, when not empty, is a small extra line at the bottom right.
    // A message of more than 1000 characters goes to the day's long-error file under the program
    // folder's Temp/ and the dialog names that file; when the file cannot be written this throws
    // std::runtime_error and shows nothing.
    void Erro(const QString& VMsg, const QString& VOutrasInf);
    void AvisoImportante(const QString& VMsg);
    void AvisoOutros(const QString& VMsg);
    // Information in font size `VFonte`; indented with a tab only when `VComTabInicio`.
    void AvisoHelps(const QString& VMsg, std::int16_t VFonte, bool VComTabInicio);
    // True when the operator answered with the first button (a click or Enter when its caption
    // got " (enter)"); false for the second (click or ESC) and every other way of closing.
    bool ConfirmacaoSimples(const QString& VMsg, const QString& VLabelBotUm,
                            const QString& VLabelBotTres);
    bool ConfirmacaoAtencao(const QString& VMsg, const QString& VLabelBotUm,
                            const QString& VLabelBotTres);
    bool ConfirmacaoErro(const QString& VMsg, const QString& VLabelBotUm,
                         const QString& VLabelBotTres);
    // Asks for one value; `VResult` receives the text left in the control, the result says whether
    // it is a usable value of the kind. For tfTextoLista fill ComboBoxToRetorno before the call.
    bool PedidoInformacao(QString& VResult, const QString& VMsg, TFormatoPedidoInformacao VTipo,
                          const QString& VDefault, const QString& VFormatNumeric);

    // The progress window to hide whenever a dialog shows.
    void DefineJanelaProgresso(QWidget* janela) { fJanelaProgresso = janela; }
    // The folder whose Temp/ receives long errors; the program folder by default.
    void DefinePastaPrograma(const QString& pasta) { fPastaPrograma = pasta; }
    // How the last dialog closed.
    TModalResult ResultadoModal() const { return fResultado; }
    // The message text as set (line breaks as CR LF) and the header caption.
    QString TextoMensagem() const { return fTextoMensagem; }
    QString LegendaCabecalho() const;

    bool VProcessarOnChangeMemo = true;
    QPoint VPosMouse;
    bool VCapturando = false;
    bool VMostraLinkSuporte = false;
    std::int32_t VImgBotao = 0;
    std::int32_t VContToClose = 4;
    std::int32_t VConfigCorErro = 1;
    QString VFilePrintScreen;

    // Components, owned by the dialog.
    TPainelGradiente* Cabecalho;
    QWidget* PanelFundo;
    QPlainTextEdit* MemoMensagem;
    QWidget* PanelCompoParaRetorno;
    TMeuEdit* EditValorToRetorno;
    QComboBox* ComboBoxToRetorno;
    QLineEdit* MaskEditDataToRetorno;
    QLabel* ImagePassChar;
    QLabel* LabelCapsLockLigado;
    QWidget* PanelRodape;
    QWidget* JvGradientAcionaSuporte;
    QLabel* LabelAcionaSuporte;
    TPainelGradiente* Rodape;
    TBotaoImagem* BotUm;
    TBotaoImagem* BotDois;
    TBotaoImagem* BotTres;
    QLabel* LabelVersaoEOutrasInf;
    QLabel* LabelPressioneQQTeclaParaContinuar;
    QWidget* BotImgEstatica;
    QWidget* BotImgMouseMove;
    QWidget* BotImgEstatica2;
    QWidget* BotImgMouseMove2;
    QTimer TimerFechaAuto;

    void done(int r) override;
    void reject() override;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void showEvent(QShowEvent* evento) override;
    void hideEvent(QHideEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;

private:
    void LimpaDialogo();
    void AjustaLargura(const QString& texto);
    void PosicionaBotoes();
    void DefineTexto(const QString& texto);
    int AlturaTextoMensagem() const;
    void AplicaTipo(TipoMsg tipo);
    void AjustaAltura();
    void PosicionaComponentes();
    TModalResult MostraModal(TipoMsg tipo);
    bool Confirmacao(TipoMsg tipo, const QString& VMsg, const QString& VLabelBotUm,
                     const QString& VLabelBotTres);
    void Aviso(TipoMsg tipo, const QString& texto);
    void AvisaCapsLock();
    void AcionaSuporte();
    void TimerFechaAutoTimer();
    void FechaSeQualquerTecla();
    bool TrataTecla(QKeyEvent* tecla);
    void Centraliza();

    QPointer<QWidget> fJanelaProgresso;
    QString fPastaPrograma;
    QString fTextoMensagem;
    TModalResult fResultado = mrNone;
    int fAlturaArea = 0;
    QColor fCorMensagem;
    std::optional<TFormatoPedidoInformacao> fPedido;
};

} // namespace vorn::ui
