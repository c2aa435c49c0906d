// The server window's controls: layout, fonts, colours and captions, grids bound to their memory
// tables, the tray icon and its menu.
//
// The window is 532 x 444 with a fixed border. Sizes of texts come from the fonts in use (the
// Windows fonts by name, or the platform's substitutes), and layouts place them, so no caption is
// cut off whatever the substitute's width.

#include "app/Principal.h"

#include "app/IconePrograma.h"
#include "common/ProgramName.h"

#include "ui/AparenciaPrincipal.h"
#include "ui/GradeVisual.h"
#include "ui/MemTableModel.h"
#include "ui/PaginasGradiente.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace vorn::app {

namespace {

constexpr int kLarguraCliente = 532;
constexpr int kAlturaCliente = 444;
constexpr int kAlturaCabecalho = 113;

QLineEdit* campo(QWidget* parent, const char* nome) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(nome));
    return edit;
}

QLabel* rotulo(QWidget* parent, const QString& texto, const char* nome = nullptr) {
    auto* label = new QLabel(texto, parent);
    if (nome != nullptr)
        label->setObjectName(QString::fromLatin1(nome));
    return label;
}

QPushButton* botao(QWidget* parent, const QString& texto, const char* nome) {
    auto* b = new QPushButton(texto, parent);
    b->setObjectName(QString::fromLatin1(nome));
    b->setMinimumSize(100, 25);
    return b;
}

QTableView* grade(QWidget* parent, const char* nome) {
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(nome));
    return view;
}

QWidget* pagina(const char* nome) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(nome));
    ui::DefineCores(page, ui::kCorFundoJanela, Qt::black);
    return page;
}

// A row of the bottom of a tab: the widgets from the left, then a stretch, then `direita`.
QHBoxLayout* linhaInferior(QWidget* esquerda, QWidget* direita) {
    auto* linha = new QHBoxLayout;
    if (esquerda != nullptr)
        linha->addWidget(esquerda, 1);
    else
        linha->addStretch(1);
    linha->addWidget(direita, 0, Qt::AlignRight | Qt::AlignBottom);
    return linha;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Controls

void TFPrincipal::criaControles() {
    setFixedSize(kLarguraCliente, kAlturaCliente);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(ui::FonteWindows(QStringLiteral("MS Sans Serif"), 11));
    if (const QScreen* tela = QGuiApplication::primaryScreen())
        move(tela->availableGeometry().center() - rect().center());

    // Panel2 fills the window; the heading and the page control sit inside its bevels.
    auto* fundo = new ui::TPainelChanfrado(this);
    fundo->setObjectName(QStringLiteral("Panel2"));
    ui::DefineCores(fundo, ui::kCorFundoJanela, Qt::black);
    auto* janela = new QVBoxLayout(this);
    janela->setContentsMargins(0, 0, 0, 0);
    janela->addWidget(fundo);
    auto* colunaFundo = new QVBoxLayout(fundo);
    colunaFundo->setContentsMargins(ui::TPainelChanfrado::kBorda, ui::TPainelChanfrado::kBorda,
                                    ui::TPainelChanfrado::kBorda, ui::TPainelChanfrado::kBorda);
    colunaFundo->setSpacing(0);

    // Panel1: heading, notice and "Não Minimizar".
    const QColor corTitulo = QApplication::palette().color(QPalette::HighlightedText);
    auto* cabecalho = new QWidget(fundo);
    cabecalho->setObjectName(QStringLiteral("Panel1"));
    ui::DefineCores(cabecalho, ui::kCorCabecalho, corTitulo);
    cabecalho->setFixedHeight(kAlturaCabecalho);
    auto* titulo = rotulo(cabecalho, QStringLiteral("Servidor Rarud Erevur VORN"), "Label1");
    titulo->setFont(ui::FonteWindows(QStringLiteral("MS UI Gothic"), 27, true));
    titulo->setAlignment(Qt::AlignCenter);
    auto* aviso = rotulo(cabecalho,
                         QStringLiteral("Este programa faz parte do sistema VORN e não pode ser "
                                        "utilizado separadamente"),
                         "LabelAviso");
    aviso->setFont(ui::FonteWindows(QStringLiteral("Verdana"), 16));
    aviso->setWordWrap(true);
    aviso->setAlignment(Qt::AlignCenter);
    ui::DefineCores(aviso, ui::kCorCabecalho, ui::kCorAviso);
    BoxNaoMinimizar = new QCheckBox(QStringLiteral("Não Minimizar"), cabecalho);
    BoxNaoMinimizar->setObjectName(QStringLiteral("BoxNaoMinimizar"));
    BoxNaoMinimizar->setFont(ui::FonteWindows(QStringLiteral("MS UI Gothic"), 15));
    // Readable on the dark heading: the heading's own colour rather than black.
    ui::DefineCores(BoxNaoMinimizar, ui::kCorCabecalho, corTitulo);
    auto* colunaCabecalho = new QVBoxLayout(cabecalho);
    colunaCabecalho->setContentsMargins(8, 4, 8, 2);
    colunaCabecalho->setSpacing(2);
    colunaCabecalho->addWidget(titulo);
    colunaCabecalho->addWidget(aviso);
    colunaCabecalho->addStretch(1);
    colunaCabecalho->addWidget(BoxNaoMinimizar, 0, Qt::AlignLeft);
    colunaFundo->addWidget(cabecalho);

    auto* paginas = new ui::TPaginasGradiente(fundo);
    PageControl1 = paginas;
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    ui::DefineCores(PageControl1, ui::kCorFundoJanela, Qt::black);
    colunaFundo->addWidget(PageControl1, 1);

    // Terminais Conectados
    TabTerminaisConectados = pagina("TabTerminaisConectados");
    DBGrid1 = grade(TabTerminaisConectados, "DBGrid1");
    LabelTemErro =
        rotulo(TabTerminaisConectados,
               QStringLiteral("Não foi possível ativar o servidor. Verifique as configurações"),
               "LabelTemErro");
    LabelTemErro->setWordWrap(true);
    LabelTemErro->setMargin(3);
    ui::DefineCores(LabelTemErro, ui::kCorFundoTemErro, ui::kCorMarinho);
    LabelTemErro->setVisible(false);
    JvXPButton1 = botao(TabTerminaisConectados, QStringLiteral("Reiniciar Server"), "JvXPButton1");
    connect(JvXPButton1, &QPushButton::clicked, this, &TFPrincipal::JvXPButton1Click);
    auto* colunaTerminais = new QVBoxLayout(TabTerminaisConectados);
    colunaTerminais->setContentsMargins(4, 4, 4, 4);
    colunaTerminais->addWidget(DBGrid1, 1);
    colunaTerminais->addLayout(linhaInferior(LabelTemErro, JvXPButton1));
    PageControl1->addTab(TabTerminaisConectados, QStringLiteral("Terminais Conectados"));

    // Configurações
    TabConfiguracoes = pagina("TabConfiguracoes");
    EditFilial = campo(TabConfiguracoes, "EditFilial");
    EditTabPrecos = campo(TabConfiguracoes, "EditTabPrecos");
    EditPorta = campo(TabConfiguracoes, "EditPorta");
    EditPorta->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    EditPorta->setFixedWidth(80);
    EditHost = campo(TabConfiguracoes, "EditHost");
    EditTipoConexao = campo(TabConfiguracoes, "EditTipoConexao");
    BoxIncluirUnVenda = new QCheckBox(QStringLiteral("Incluir Un. Venda"), TabConfiguracoes);
    BoxIncluirUnVenda->setObjectName(QStringLiteral("BoxIncluirUnVenda"));
    // Only the operator's click writes the option; setting the box at start-up does not.
    connect(BoxIncluirUnVenda, &QCheckBox::clicked, this, &TFPrincipal::BoxIncluirUnVendaClick);
    BotAlterarConfig = botao(TabConfiguracoes, QStringLiteral("Alterar"), "BotAlterarConfig");
    auto* separador = new ui::TLinhaPontilhada(TabConfiguracoes);
    separador->setObjectName(QStringLiteral("Bevel1"));
    auto* formulario = new QGridLayout;
    formulario->setHorizontalSpacing(8);
    formulario->setVerticalSpacing(6);
    const std::pair<QString, QLineEdit*> linhas[] = {
        {QStringLiteral("Filial"), EditFilial},
        {QStringLiteral("Tabela de Preços"), EditTabPrecos},
        {QStringLiteral("Porta"), EditPorta},
        {QStringLiteral("Host"), EditHost},
        {QStringLiteral("Tipo Conexão"), EditTipoConexao},
    };
    int linha = 0;
    for (const auto& [texto, edit] : linhas) {
        formulario->addWidget(rotulo(TabConfiguracoes, texto), linha, 0, Qt::AlignRight);
        formulario->addWidget(edit, linha, 1, edit == EditPorta ? Qt::AlignLeft : Qt::Alignment());
        ++linha;
    }
    formulario->addWidget(BoxIncluirUnVenda, linha, 1);
    auto* colunaConfig = new QVBoxLayout(TabConfiguracoes);
    colunaConfig->setContentsMargins(12, 12, 12, 8);
    colunaConfig->addLayout(formulario);
    colunaConfig->addStretch(1);
    colunaConfig->addWidget(separador);
    colunaConfig->addLayout(linhaInferior(nullptr, BotAlterarConfig));
    PageControl1->addTab(TabConfiguracoes, QStringLiteral("Configurações"));

    // Logs
    TabLogs = pagina("TabLogs");
    DBGrid3 = grade(TabLogs, "DBGrid3");
    BotLimpaLogs = botao(TabLogs, QStringLiteral("Limpar"), "BotLimpaLogs");
    connect(BotLimpaLogs, &QPushButton::clicked, this, &TFPrincipal::BotLimpaLogsClick);
    auto* colunaLogs = new QVBoxLayout(TabLogs);
    colunaLogs->setContentsMargins(4, 4, 4, 4);
    colunaLogs->addWidget(DBGrid3, 1);
    colunaLogs->addLayout(linhaInferior(nullptr, BotLimpaLogs));
    PageControl1->addTab(TabLogs, QStringLiteral("Logs"));

    // Produtos Cadastrados
    TabSheet1 = pagina("TabSheet1");
    auto* rotuloFiltro =
        rotulo(TabSheet1, QStringLiteral("Filtrar (Cód., barras ou descrição)"), "Label2");
    EditFiltraProd = campo(TabSheet1, "EditFiltraProd");
    BitBtn2 = botao(TabSheet1, QStringLiteral("Listar Todos"), "BitBtn2");
    LabelQtdeProdutos = rotulo(TabSheet1, QString(), "LabelQtdeProdutos");
    LabelQtdeProdutos->setVisible(false);
    DBGrid4 = grade(TabSheet1, "DBGrid4");
    auto* linhaFiltro = new QHBoxLayout;
    linhaFiltro->addWidget(EditFiltraProd, 1);
    linhaFiltro->addWidget(BitBtn2);
    linhaFiltro->addWidget(LabelQtdeProdutos);
    auto* colunaProdutos = new QVBoxLayout(TabSheet1);
    colunaProdutos->setContentsMargins(4, 4, 4, 4);
    colunaProdutos->setSpacing(3);
    colunaProdutos->addWidget(rotuloFiltro);
    colunaProdutos->addLayout(linhaFiltro);
    colunaProdutos->addWidget(DBGrid4, 1);
    PageControl1->addTab(TabSheet1, QStringLiteral("Produtos Cadastrados"));

    PageControl1->setCurrentWidget(TabConfiguracoes);

    // Grids. The log's date and time column is kept wide enough for its whole value.
    const auto coluna = [](const char* campo, const QString& titulo, int largura) {
        ui::GridColumn c;
        c.field = campo;
        c.title = titulo;
        c.width = largura;
        return c;
    };
    ui::GridColumn ip = coluna("IP", QStringLiteral("IP"), 0);
    ip.alignment = Qt::AlignCenter;
    ip.characters = 20;
    ui::GridColumn codTerminal = coluna("COD_TERMINAL", QStringLiteral("Código do Terminal"), 120);
    codTerminal.alignment = Qt::AlignCenter;
    DSTerminaisConectados =
        new ui::MemTableModel(FDMemTerminaisConectados, {ip, codTerminal}, this);
    ui::ConfiguraGrade(DBGrid1, DSTerminaisConectados);
    ui::GridColumn dataHora = coluna("DATA_HORA", QStringLiteral("Data/Hora"), 90);
    dataHora.widest = data::Value(QDateTime(QDate(2000, 12, 28), QTime(23, 58, 58)));
    DSLogs = new ui::MemTableModel(FDMemLogs,
                                   {dataHora,
                                    coluna("IP_ORIG_DESTINO", QStringLiteral("Origem/Destino"), 86),
                                    coluna("CONTEUDO", QStringLiteral("Conteúdo"), 243)},
                                   this);
    ui::ConfiguraGrade(DBGrid3, DSLogs);
    DSProdutosListagem =
        new ui::MemTableModel(FDMemProdutosListagem,
                              {coluna("COD_ALFA", QStringLiteral("Código"), 86),
                               coluna("CODIGOBARRAS", QStringLiteral("Código Barras"), 127),
                               coluna("DESCRICAO", QStringLiteral("Descrição"), 253)},
                              this);
    ui::ConfiguraGrade(DBGrid4, DSProdutosListagem);
}

void TFPrincipal::criaBandeja() {
    PopMenuTray = new QMenu(this);
    PopMenuTray->setObjectName(QStringLiteral("PopMenuTray"));
    ResaturarAplicao1 = PopMenuTray->addAction(QStringLiteral("Restaurar Aplicação"));
    ResaturarAplicao1->setObjectName(QStringLiteral("ResaturarAplicao1"));
    PopMenuTray->addSeparator()->setObjectName(QStringLiteral("N1"));
    MenuSair = PopMenuTray->addAction(QStringLiteral("Sair da Aplicação"));
    MenuSair->setObjectName(QStringLiteral("MenuSair"));
    connect(ResaturarAplicao1, &QAction::triggered, this, &TFPrincipal::ResaturarAplicao1Click);
    connect(MenuSair, &QAction::triggered, this, &TFPrincipal::MenuSairClick);

    TrayPrinc = new QSystemTrayIcon(this);
    TrayPrinc->setObjectName(QStringLiteral("TrayPrinc"));
    TrayPrinc->setToolTip(QString::fromUtf8(common::kProgramName));
    TrayPrinc->setIcon(IconePrograma());
    TrayPrinc->setContextMenu(PopMenuTray);
    connect(TrayPrinc, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    TrayPrincClick();
            });
}

void TFPrincipal::atualizaGrades() {
    DSTerminaisConectados->refresh();
    DSLogs->refresh();
    DSProdutosListagem->refresh();
}

} // namespace vorn::app
