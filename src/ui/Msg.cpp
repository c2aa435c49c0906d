#include "ui/Msg.h"

#include "common/CapturaTela.h"
#include "common/ErroLongo.h"
#include "common/uFuncPubl.h"
#include "platform/ProgramFolder.h"
#include "ui/AparenciaCampos.h"
#include "ui/EventGuard.h"
#include "ui/MeuEdit.h"
#include "ui/MsgAparencia.h"
#include "ui/MsgComponentes.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QTextLayout>
#include <algorithm>
#include <stdexcept>

namespace vorn::ui {

// ---- Test seam
// -----------------------------------------------------------------------------------

namespace {
ScopedMsgAnswers* seamAtual = nullptr;
} // namespace

ScopedMsgAnswers::ScopedMsgAnswers() : anterior_(seamAtual) {
    seamAtual = this;
}

ScopedMsgAnswers::ScopedMsgAnswers(std::initializer_list<MsgAnswer> respostas)
    : ScopedMsgAnswers() {
    respostas_.assign(respostas.begin(), respostas.end());
}

ScopedMsgAnswers::~ScopedMsgAnswers() {
    seamAtual = anterior_;
}

// ---- Kinds
// ---------------------------------------------------------------------------------------

namespace {

QString TextoExibido(const QString& texto) {
    QString exibido = texto;
    exibido.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    exibido.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return exibido;
}

// Lines the memo shows for `texto` at `largura`, word-wrapped (a word longer than the line breaks
// anywhere, as an edit control does).
int LinhasExibidas(const QString& texto, const QFont& fonte, int largura, qreal tabulacao) {
    QTextOption opcao;
    opcao.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    opcao.setTabStopDistance(tabulacao);
    int total = 0;
    for (const QString& paragrafo : TextoExibido(texto).split(QLatin1Char('\n'))) {
        QTextLayout layout(paragrafo, fonte);
        layout.setTextOption(opcao);
        layout.beginLayout();
        int linhas = 0;
        for (QTextLine linha = layout.createLine(); linha.isValid(); linha = layout.createLine()) {
            linha.setLineWidth(std::max(1, largura));
            ++linhas;
        }
        layout.endLayout();
        total += std::max(linhas, 1);
    }
    return total;
}

void PintaFundo(QWidget* w, const QColor& cor, QPalette::ColorRole papel = QPalette::Window) {
    QPalette cores = w->palette();
    cores.setColor(papel, cor);
    w->setPalette(cores);
    w->setAutoFillBackground(true);
}

void PintaTexto(QWidget* w, const QColor& cor) {
    QPalette cores = w->palette();
    cores.setColor(QPalette::WindowText, cor);
    cores.setColor(QPalette::Text, cor);
    w->setPalette(cores);
}

QFont Fonte(const char* familia, int pontos, bool negrito = false) {
    QFont fonte{QString::fromLatin1(familia)};
    fonte.setPointSize(pontos);
    fonte.setBold(negrito);
    return fonte;
}

QPixmap ImagemOlho() {
    QPixmap imagem(25, 35);
    imagem.fill(Qt::transparent);
    QPainter pintor(&imagem);
    pintor.setRenderHint(QPainter::Antialiasing);
    pintor.setPen(QPen(Qt::white, 1.6));
    QPainterPath contorno;
    contorno.moveTo(2, 17.5);
    contorno.quadTo(12.5, 8, 23, 17.5);
    contorno.quadTo(12.5, 27, 2, 17.5);
    pintor.drawPath(contorno);
    pintor.setBrush(Qt::white);
    pintor.drawEllipse(QPointF(12.5, 17.5), 3, 3);
    return imagem;
}

bool EhConfirmacao(TipoMsg tipo) {
    return tipo == TipoMsg::ConfirmacaoSimples || tipo == TipoMsg::ConfirmacaoAtencao ||
           tipo == TipoMsg::ConfirmacaoErro;
}

} // namespace

// ---- The dialog
// ----------------------------------------------------------------------------------

TFMsg::TFMsg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("FMsg"));
    setModal(true);
    setFont(Fonte("Tahoma", 8));
    resize(525, 278);

    Cabecalho = new TPainelGradiente(this);
    Cabecalho->setCursor(Qt::DragMoveCursor);
    BotImgEstatica = new QWidget(Cabecalho);
    BotImgMouseMove = new QWidget(Cabecalho);
    BotImgEstatica2 = new QWidget(Cabecalho);
    BotImgMouseMove2 = new QWidget(Cabecalho);
    for (QWidget* modelo : {BotImgEstatica, BotImgMouseMove, BotImgEstatica2, BotImgMouseMove2})
        modelo->hide();

    PanelFundo = new QWidget(this);
    PanelFundo->setFocusPolicy(Qt::ClickFocus);
    MemoMensagem = new QPlainTextEdit(PanelFundo);
    MemoMensagem->setReadOnly(true);
    MemoMensagem->setFrameShape(QFrame::NoFrame);
    MemoMensagem->setFocusPolicy(Qt::NoFocus);
    MemoMensagem->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    MemoMensagem->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoMensagem->document()->setDocumentMargin(0);
    MemoMensagem->viewport()->setCursor(Qt::ArrowCursor);

    PanelCompoParaRetorno = new QWidget(PanelFundo);
    EditValorToRetorno = new TMeuEdit(PanelCompoParaRetorno);
    EditValorToRetorno->setFont(Fonte("MS Sans Serif", 10));
    EditValorToRetorno->resize(200, 22);
    ComboBoxToRetorno = new QComboBox(PanelCompoParaRetorno);
    ComboBoxToRetorno->setEditable(false);
    ComboBoxToRetorno->setFont(Fonte("MS Sans Serif", 10));
    ComboBoxToRetorno->resize(145, 24);
    MaskEditDataToRetorno = new QLineEdit(PanelCompoParaRetorno);
    MaskEditDataToRetorno->setInputMask(QStringLiteral("99/99/9999;_"));
    MaskEditDataToRetorno->setFont(Fonte("Arial", 10));
    MaskEditDataToRetorno->setFrame(false);
    MaskEditDataToRetorno->resize(71, 22);
    PintaFundo(MaskEditDataToRetorno, QColor(252, 239, 247), QPalette::Base);
    ImagePassChar = new QLabel(PanelCompoParaRetorno);
    ImagePassChar->setPixmap(ImagemOlho());
    ImagePassChar->setScaledContents(true);
    ImagePassChar->setCursor(Qt::PointingHandCursor);

    LabelCapsLockLigado = new QLabel(QStringLiteral("CAPS Lock está ligado"), PanelFundo);
    LabelCapsLockLigado->setAlignment(Qt::AlignCenter);
    LabelCapsLockLigado->setFont(Fonte("Arial", 7));
    PintaFundo(LabelCapsLockLigado, Qt::yellow);
    PintaTexto(LabelCapsLockLigado, Qt::red);

    PanelRodape = new QWidget(this);
    JvGradientAcionaSuporte = new QWidget(PanelRodape);
    PintaFundo(JvGradientAcionaSuporte, QColor(64, 0, 0));
    LabelAcionaSuporte = new QLabel(QStringLiteral("F1 aciona suporte"), JvGradientAcionaSuporte);
    LabelAcionaSuporte->setAlignment(Qt::AlignCenter);
    LabelAcionaSuporte->setFont(Fonte("Tahoma", 8));
    PintaTexto(LabelAcionaSuporte, Qt::cyan);
    JvGradientAcionaSuporte->hide();
    Rodape = new TPainelGradiente(PanelRodape);
    BotUm = new TBotaoImagem(Rodape, &VImgBotao);
    BotDois = new TBotaoImagem(Rodape, &VImgBotao);
    BotTres = new TBotaoImagem(Rodape, &VImgBotao);
    BotUm->setText(QStringLiteral("Sim"));
    BotDois->setText(QStringLiteral("OK (enter)"));
    BotTres->setText(QStringLiteral("Não"));
    connect(BotUm, &QAbstractButton::clicked, this, [this] { done(mrYes); });
    connect(BotDois, &QAbstractButton::clicked, this, [this] { done(mrYes); });
    connect(BotTres, &QAbstractButton::clicked, this, [this] { done(mrNo); });

    LabelVersaoEOutrasInf = new QLabel(this);
    LabelVersaoEOutrasInf->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelVersaoEOutrasInf->setFont(Fonte("Arial", 7));
    PintaTexto(LabelVersaoEOutrasInf, QColor(240, 240, 240)); // the button-face colour
    LabelPressioneQQTeclaParaContinuar = new QLabel(this);
    LabelPressioneQQTeclaParaContinuar->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelPressioneQQTeclaParaContinuar->setFont(Fonte("Arial", 7));
    PintaTexto(LabelPressioneQQTeclaParaContinuar, QColor(180, 180, 101));

    TimerFechaAuto.setInterval(1000);
    TimerFechaAuto.setTimerType(Qt::PreciseTimer);
    connect(&TimerFechaAuto, &QTimer::timeout, this,
            [this] { runGuarded([this] { TimerFechaAutoTimer(); }); });

    // The design starts with the window-text colour for the message and white for the header.
    PintaTexto(MemoMensagem, Qt::black);
    Cabecalho->DefineCorLegenda(Qt::white);
    LimpaDialogo();
}

TFMsg::~TFMsg() {
    qApp->removeEventFilter(this);
}

QString TFMsg::LegendaCabecalho() const {
    return Cabecalho->Legenda();
}

void TFMsg::LimpaDialogo() {
    VProcessarOnChangeMemo = true;
    TimerFechaAuto.stop();
    VContToClose = 4;
    for (QWidget* w : std::initializer_list<QWidget*>{
             LabelCapsLockLigado, ImagePassChar, PanelCompoParaRetorno, EditValorToRetorno,
             ComboBoxToRetorno, MaskEditDataToRetorno, BotUm, BotDois, BotTres})
        w->hide();
    EditValorToRetorno->SetPasswordChar(QChar());
    EditValorToRetorno->clear();
    MemoMensagem->setFont(Fonte("Arial", 10));
    LabelVersaoEOutrasInf->hide();
    LabelPressioneQQTeclaParaContinuar->hide();
    LabelPressioneQQTeclaParaContinuar->setText(
        QStringLiteral("Pressione qualquer tecla para continuar... "));
    PanelRodape->show();
    fPedido.reset();
    DefineTexto(QString());
}

void TFMsg::AjustaLargura(const QString& texto) {
    setFixedWidth(LarguraMsg(texto));
    PosicionaComponentes();
    PosicionaBotoes();
}

void TFMsg::PosicionaBotoes() {
    CentralizaControle(BotUm, Rodape, 0, true);
    CentralizaControle(BotTres, Rodape, 1, true);
    CentralizaControle(BotDois, Rodape, 2, true);
}

int TFMsg::AlturaTextoMensagem() const {
    const QFont fonte = MemoMensagem->font();
    const int linhas = LinhasExibidas(fTextoMensagem, fonte, MemoMensagem->width(),
                                      MemoMensagem->tabStopDistance());
    const int altura = (linhas + 1) * QFontMetrics(fonte).height();
    return std::min(altura, 32767);
}

void TFMsg::DefineTexto(const QString& texto) {
    fTextoMensagem = texto;
    MemoMensagem->setTabStopDistance(8 * QFontMetrics(MemoMensagem->font()).averageCharWidth());
    MemoMensagem->setPlainText(TextoExibido(texto));
    if (!texto.isEmpty() && VProcessarOnChangeMemo) {
        fAlturaArea = AlturaTextoMensagem() + 10;
        MemoMensagem->resize(MemoMensagem->width(), fAlturaArea);
    }
}

void TFMsg::AplicaTipo(TipoMsg tipo) {
    const AparenciaMsg a = AparenciaDe(tipo, VConfigCorErro);
    Cabecalho->DefineLegenda(QString::fromUtf8(a.cabecalho));
    fCorMensagem = a.area;
    for (QWidget* w : std::initializer_list<QWidget*>{this, PanelFundo, LabelVersaoEOutrasInf,
                                                      LabelPressioneQQTeclaParaContinuar})
        PintaFundo(w, a.area);
    PintaFundo(MemoMensagem->viewport(), a.area);
    PintaFundo(MemoMensagem, a.area, QPalette::Base);
    if (tipo == TipoMsg::PedidoInformacao)
        PintaFundo(PanelCompoParaRetorno, a.area);
    PintaTexto(MemoMensagem, a.texto);
    Cabecalho->DefineCorLegenda(a.legenda);
    Rodape->DefineGradiente(a.rodapeInicio, a.rodapeFim);
    Cabecalho->DefineGradiente(a.cabecalhoInicio, a.cabecalhoFim);
    for (TBotaoImagem* b : {BotUm, BotDois, BotTres})
        b->DefineImagem(a.imagem);
    BotUm->setVisible(a.botUm);
    BotDois->setVisible(a.botDois);
    BotTres->setVisible(a.botTres);
}

void TFMsg::AjustaAltura() {
    const int alturaMemo = MemoMensagem->height();
    fAlturaArea = alturaMemo + (PanelCompoParaRetorno->isHidden() ? 0 : 35);
    int H = 25 + fAlturaArea;
    for (const QWidget* linha : std::initializer_list<const QWidget*>{
             LabelPressioneQQTeclaParaContinuar, LabelVersaoEOutrasInf, LabelCapsLockLigado})
        if (!linha->isHidden())
            H += 12;
    if (!PanelRodape->isHidden())
        H += 45;
    H += 10;
    if (VMostraLinkSuporte)
        H += 20;
    if (H < 150) {
        VProcessarOnChangeMemo = false;
        const int linhas = LinhasExibidas(fTextoMensagem, MemoMensagem->font(),
                                          MemoMensagem->width(), MemoMensagem->tabStopDistance());
        if (linhas == 1 || linhas == 2)
            DefineTexto(QStringLiteral("\r\n") + fTextoMensagem);
        H = 150;
    }
    // A text taller than the screen would push the buttons off it: the dialog stops at the
    // screen's height and the message scrolls.
    const QScreen* tela = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (tela != nullptr && H > tela->availableGeometry().height()) {
        const int excesso = H - tela->availableGeometry().height();
        H -= excesso;
        fAlturaArea -= excesso;
        MemoMensagem->resize(MemoMensagem->width(), std::max(0, alturaMemo - excesso));
    }
    setFixedHeight(H);
    PosicionaComponentes();
    PosicionaBotoes();
}

void TFMsg::PosicionaComponentes() {
    const int w = width();
    const int h = height();
    Cabecalho->setGeometry(0, 0, w, 25);
    int base = h;
    if (!PanelRodape->isHidden()) {
        const int suporte = JvGradientAcionaSuporte->isHidden() ? 0 : 17;
        PanelRodape->setGeometry(0, h - 45 - suporte, w, 45 + suporte);
        JvGradientAcionaSuporte->setGeometry(0, 0, w, 17);
        LabelAcionaSuporte->setGeometry(0, 0, w, 17);
        Rodape->setGeometry(0, suporte, w, 45);
        base = h - 45 - suporte;
    }
    if (!LabelPressioneQQTeclaParaContinuar->isHidden()) {
        base -= 12;
        LabelPressioneQQTeclaParaContinuar->setGeometry(0, base, w - 5, 12);
    }
    if (!LabelVersaoEOutrasInf->isHidden()) {
        base -= 12;
        LabelVersaoEOutrasInf->setGeometry(0, base, w - 5, 12);
    }
    const int alturaMemo = MemoMensagem->height();
    PanelFundo->setGeometry(0, 25, w, std::max(fAlturaArea, alturaMemo));
    MemoMensagem->setGeometry(5, 0, std::max(0, w - 10), alturaMemo);
    PanelCompoParaRetorno->setGeometry(0, alturaMemo, w, 35);
    ImagePassChar->setGeometry(w - 25, 0, 25, 35);
    LabelCapsLockLigado->setGeometry(164, 96, 96, 12);
    LabelCapsLockLigado->raise();
}

void TFMsg::resizeEvent(QResizeEvent* evento) {
    QDialog::resizeEvent(evento);
    runGuarded([this] {
        PosicionaComponentes();
        PosicionaBotoes();
    });
}

void TFMsg::Centraliza() {
    const QScreen* tela = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (tela == nullptr)
        return;
    const QRect area = tela->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

TModalResult TFMsg::MostraModal(TipoMsg tipo) {
    if (ScopedMsgAnswers* seam = seamAtual) {
        ShownMsg registro;
        registro.tipo = tipo;
        registro.cabecalho = Cabecalho->Legenda();
        registro.mensagem = fTextoMensagem;
        for (const TBotaoImagem* b : {BotUm, BotDois, BotTres})
            if (!b->isHidden())
                registro.botoes << b->text();
        if (!LabelVersaoEOutrasInf->isHidden())
            registro.outrasInf = LabelVersaoEOutrasInf->text();
        registro.pedido = fPedido;
        registro.largura = width();
        registro.altura = height();
        MsgAnswer resposta = MsgAnswer::cancela();
        if ((EhConfirmacao(tipo) || tipo == TipoMsg::PedidoInformacao) &&
            !seam->respostas_.empty()) {
            resposta = seam->respostas_.front();
            seam->respostas_.pop_front();
        }
        if (!EditValorToRetorno->isHidden()) {
            registro.valorInicial = EditValorToRetorno->text();
            if (resposta.valor)
                EditValorToRetorno->setText(*resposta.valor);
        } else if (!ComboBoxToRetorno->isHidden()) {
            registro.valorInicial = ComboBoxToRetorno->currentText();
            if (resposta.valor)
                ComboBoxToRetorno->setCurrentIndex(ComboBoxToRetorno->findText(*resposta.valor));
        } else if (!MaskEditDataToRetorno->isHidden()) {
            registro.valorInicial = MaskEditDataToRetorno->text();
            if (resposta.valor)
                MaskEditDataToRetorno->setText(*resposta.valor);
        }
        seam->shown_.push_back(registro);
        fResultado = resposta.resultado;
        TimerFechaAuto.stop();
        JvGradientAcionaSuporte->hide();
        VFilePrintScreen.clear();
        VMostraLinkSuporte = false;
        return fResultado;
    }
    fResultado = mrNone;
    exec();
    return fResultado;
}

void TFMsg::done(int r) {
    fResultado = static_cast<TModalResult>(r);
    TimerFechaAuto.stop();
    if (VCapturando) {
        Cabecalho->releaseMouse();
        VCapturando = false;
    }
    JvGradientAcionaSuporte->hide();
    VFilePrintScreen.clear();
    VMostraLinkSuporte = false;
    QDialog::done(r);
}

void TFMsg::reject() {
    done(mrCancel);
}

void TFMsg::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    runGuarded([this] {
        qApp->installEventFilter(this);
        VCapturando = false;
        if (fJanelaProgresso)
            fJanelaProgresso->hide();
        PintaFundo(PanelFundo, fCorMensagem);
        for (QWidget* modelo : {BotImgEstatica, BotImgMouseMove, BotImgEstatica2, BotImgMouseMove2})
            modelo->hide();
        JvGradientAcionaSuporte->setVisible(VMostraLinkSuporte);
        LabelAcionaSuporte->setVisible(VMostraLinkSuporte);
        PosicionaComponentes();
        PosicionaBotoes();
        if (!EditValorToRetorno->isHidden())
            EditValorToRetorno->setFocus(Qt::OtherFocusReason);
        else if (!ComboBoxToRetorno->isHidden())
            ComboBoxToRetorno->setFocus(Qt::OtherFocusReason);
        else
            PanelFundo->setFocus(Qt::OtherFocusReason);
        AvisaCapsLock();
        Centraliza();
    });
}

void TFMsg::hideEvent(QHideEvent* evento) {
    qApp->removeEventFilter(this);
    QDialog::hideEvent(evento);
}

void TFMsg::AvisaCapsLock() {
    if (ImagePassChar->isHidden())
        return;
    LabelCapsLockLigado->setVisible(CapsLockAtivo() && !EditValorToRetorno->isHidden());
}

void TFMsg::FechaSeQualquerTecla() {
    done(mrCancel);
}

void TFMsg::TimerFechaAutoTimer() {
    --VContToClose;
    LabelPressioneQQTeclaParaContinuar->setText(
        QStringLiteral("Pressione qualquer tecla para continuar...") +
        QString::number(VContToClose) + QStringLiteral(". "));
    if (VContToClose == 0)
        done(mrCancel);
}

void TFMsg::AcionaSuporte() {
    const QScreen* tela = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (tela != nullptr) {
        const QRect area = tela->geometry();
        move(area.x() + area.width() - width() - 15, area.y() + 15);
    }
    QApplication::processEvents();
    common::CapturaTela(true, VFilePrintScreen);
    Centraliza();
    done(mrRetry);
}

bool TFMsg::TrataTecla(QKeyEvent* tecla) {
    if (!LabelPressioneQQTeclaParaContinuar->isHidden()) {
        FechaSeQualquerTecla();
        return true;
    }
    switch (tecla->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!BotUm->isHidden() && BotUm->text().contains(QStringLiteral("enter")))
            BotUm->click();
        else if (!BotDois->isHidden())
            BotDois->click();
        return true;
    case Qt::Key_Escape:
        if (!BotTres->isHidden())
            BotTres->click();
        return true;
    case Qt::Key_F1:
        if (!JvGradientAcionaSuporte->isHidden()) {
            AcionaSuporte();
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool TFMsg::eventFilter(QObject* objeto, QEvent* evento) {
    if (!isVisible() || !objeto->isWidgetType())
        return false;
    auto* w = static_cast<QWidget*>(objeto);
    if (w != this && !isAncestorOf(w))
        return false;
    bool tratado = false;
    runGuarded([&] {
        const bool qualquerTecla = !LabelPressioneQQTeclaParaContinuar->isHidden();
        switch (evento->type()) {
        case QEvent::KeyPress:
            tratado = TrataTecla(static_cast<QKeyEvent*>(evento));
            break;
        case QEvent::KeyRelease:
            if (w == EditValorToRetorno)
                AvisaCapsLock();
            break;
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(evento);
            if (w == Cabecalho) {
                Cabecalho->grabMouse();
                VCapturando = true;
                VPosMouse = mouse->position().toPoint();
                tratado = true;
            } else if (w == ImagePassChar) {
                EditValorToRetorno->SetPasswordChar(
                    EditValorToRetorno->PasswordChar().isNull() ? QChar('#') : QChar());
                tratado = true;
            } else {
                if (w == this)
                    VConfigCorErro = 1;
                if (qualquerTecla &&
                    (w == this || w == MemoMensagem || w == MemoMensagem->viewport() ||
                     w == PanelFundo || w == LabelVersaoEOutrasInf)) {
                    FechaSeQualquerTecla();
                    tratado = true;
                }
            }
            break;
        }
        case QEvent::MouseMove:
            if (w == Cabecalho && VCapturando) {
                const QPoint p = static_cast<QMouseEvent*>(evento)->position().toPoint();
                move(x() + p.x() - VPosMouse.x(), y() + p.y() - VPosMouse.y());
                tratado = true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (w == Cabecalho && VCapturando) {
                Cabecalho->releaseMouse();
                VCapturando = false;
                tratado = true;
            }
            break;
        default:
            break;
        }
    });
    return tratado;
}

// ---- Operations
// ----------------------------------------------------------------------------------

void TFMsg::Aviso(TipoMsg tipo, const QString& texto) {
    DefineTexto(texto);
    AplicaTipo(tipo);
    AjustaAltura();
    MostraModal(tipo);
}

void TFMsg::Sucesso(const QString& VMsg, std::int16_t VTempo) {
    LimpaDialogo();
    AjustaLargura(VMsg);
    DefineTexto(QStringLiteral("\t") + VMsg);
    PanelRodape->hide();
    LabelPressioneQQTeclaParaContinuar->show();
    VContToClose = VTempo;
    AplicaTipo(TipoMsg::Sucesso);
    AjustaAltura();
    // A note of 0 seconds or less would count below zero for ever: it waits for a key or click.
    if (VTempo > 0)
        TimerFechaAuto.start();
    MostraModal(TipoMsg::Sucesso);
}

void TFMsg::Erro(const QString& VMsg, const QString& VOutrasInf) {
    LimpaDialogo();
    QString texto = VMsg;
    if (VMsg.size() > 1000) {
        const QString pasta = fPastaPrograma.isEmpty() ? platform::programFolder() : fPastaPrograma;
        if (pasta.isEmpty())
            throw std::runtime_error("A pasta do programa não pôde ser lida: a mensagem de erro "
                                     "longa não pôde ser gravada.");
        texto =
            TextoErroLongo(common::GravaErroLongo(pasta, VMsg, QDate::currentDate(), QLocale()));
    }
    AjustaLargura(texto);
    LabelVersaoEOutrasInf->setVisible(!VOutrasInf.isEmpty());
    LabelVersaoEOutrasInf->setText(VOutrasInf);
    LabelAcionaSuporte->setVisible(VMostraLinkSuporte);
    BotDois->setText(QStringLiteral("OK (enter)"));
    Aviso(TipoMsg::Erro, QStringLiteral("\t") + texto);
}

void TFMsg::AvisoImportante(const QString& VMsg) {
    LimpaDialogo();
    AjustaLargura(VMsg);
    BotDois->setText(QStringLiteral("OK (enter)"));
    Aviso(TipoMsg::AvisoImportante, QStringLiteral("\t") + VMsg);
}

void TFMsg::AvisoOutros(const QString& VMsg) {
    LimpaDialogo();
    AjustaLargura(VMsg);
    BotDois->setText(QStringLiteral("OK (enter)"));
    Aviso(TipoMsg::AvisoOutros, QStringLiteral("\t") + VMsg);
}

void TFMsg::AvisoHelps(const QString& VMsg, std::int16_t VFonte, bool VComTabInicio) {
    LimpaDialogo();
    if (VFonte > 0)
        MemoMensagem->setFont(Fonte("Arial", VFonte));
    AjustaLargura(VMsg);
    BotDois->setText(QStringLiteral("OK (enter)"));
    Aviso(TipoMsg::AvisoHelps, VComTabInicio ? QStringLiteral("\t") + VMsg : VMsg);
}

bool TFMsg::Confirmacao(TipoMsg tipo, const QString& VMsg, const QString& VLabelBotUm,
                        const QString& VLabelBotTres) {
    LimpaDialogo();
    AjustaLargura(VMsg);
    BotUm->setText(LegendaBotUm(VLabelBotUm));
    BotTres->setText(LegendaBotTres(VLabelBotTres));
    DefineTexto(QStringLiteral("\t") + VMsg);
    AplicaTipo(tipo);
    AjustaAltura();
    return MostraModal(tipo) == mrYes;
}

bool TFMsg::ConfirmacaoSimples(const QString& VMsg, const QString& VLabelBotUm,
                               const QString& VLabelBotTres) {
    return Confirmacao(TipoMsg::ConfirmacaoSimples, VMsg, VLabelBotUm, VLabelBotTres);
}

bool TFMsg::ConfirmacaoAtencao(const QString& VMsg, const QString& VLabelBotUm,
                               const QString& VLabelBotTres) {
    return Confirmacao(TipoMsg::ConfirmacaoAtencao, VMsg, VLabelBotUm, VLabelBotTres);
}

bool TFMsg::ConfirmacaoErro(const QString& VMsg, const QString& VLabelBotUm,
                            const QString& VLabelBotTres) {
    return Confirmacao(TipoMsg::ConfirmacaoErro, VMsg, VLabelBotUm, VLabelBotTres);
}

bool TFMsg::PedidoInformacao(QString& VResult, const QString& VMsg, TFormatoPedidoInformacao VTipo,
                             const QString& VDefault, const QString& VFormatNumeric) {
    using enum TFormatoPedidoInformacao;
    VResult.clear();
    LimpaDialogo();
    AjustaLargura(VMsg);
    DefineTexto(QStringLiteral("\t") + VMsg);
    BotDois->setText(QStringLiteral("OK (enter)"));
    PanelCompoParaRetorno->show();
    AplicaTipo(TipoMsg::PedidoInformacao);
    fPedido = VTipo;

    const QLocale local = EditValorToRetorno->locale();
    TMeuEdit* edit = EditValorToRetorno;
    switch (VTipo) {
    case tfTexto:
    case tfPass:
        edit->SetEditType(TwbrEditTypes::wbrString);
        edit->resize(200, 22);
        edit->SetAlignment(Qt::AlignLeft);
        edit->setText(VDefault);
        if (VTipo == tfPass) {
            ImagePassChar->show();
            edit->SetPasswordChar(QLatin1Char('#'));
        }
        edit->show();
        break;
    case tfInteiro: {
        edit->SetEditType(TwbrEditTypes::wbrInteger);
        edit->resize(100, 22);
        edit->SetAlignment(Qt::AlignRight);
        bool ok = false;
        const int padrao = VDefault.trimmed().toInt(&ok, 10);
        // Without a usable default the field starts empty.
        edit->setText(ok && padrao > 0 ? VDefault : QString());
        edit->show();
        break;
    }
    case tfNumerico:
        edit->SetValueFormat(VFormatNumeric);
        edit->SetEditType(TwbrEditTypes::wbrNumeric);
        edit->resize(100, 22);
        edit->SetAlignment(Qt::AlignRight);
        edit->setText(TextoParaNumero(VDefault, 0, local) > 0 ? VDefault : QString());
        edit->show();
        break;
    case tfTextoLista:
        ComboBoxToRetorno->setCurrentIndex(ComboBoxToRetorno->count() == 1 ? 0 : -1);
        ComboBoxToRetorno->show();
        break;
    case tfData:
        if (TextoParaData(VDefault, local))
            MaskEditDataToRetorno->setText(VDefault);
        MaskEditDataToRetorno->show();
        break;
    }
    AjustaAltura();
    for (QWidget* controle :
         std::initializer_list<QWidget*>{edit, MaskEditDataToRetorno, ComboBoxToRetorno})
        CentralizaControle(controle, PanelCompoParaRetorno, 2, true);

    MostraModal(TipoMsg::PedidoInformacao);

    if (!edit->isHidden())
        VResult = edit->text();
    else if (!ComboBoxToRetorno->isHidden())
        VResult = ComboBoxToRetorno->currentText();
    else if (!MaskEditDataToRetorno->isHidden())
        VResult = MaskEditDataToRetorno->text();
    return ResultadoPedidoInformacao(VTipo, VResult, local);
}

} // namespace vorn::ui
