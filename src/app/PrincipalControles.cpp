// The server window's controls: layout, captions, grids bound to their memory tables, the tray
// icon and its menu.

#include "app/Principal.h"

#include "ui/MemTableModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>

namespace vorn::app {

namespace {

QLineEdit* campo(QWidget* parent, const char* nome, int x, int y, int w) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(nome));
    edit->setGeometry(x, y, w, 21);
    return edit;
}

void rotulo(QWidget* parent, const QString& texto, int x, int y) {
    auto* label = new QLabel(texto, parent);
    label->move(x, y);
}

QTableView* grade(QWidget* parent, const char* nome) {
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(nome));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->horizontalHeader()->setSectionsClickable(true);
    view->verticalHeader()->setDefaultSectionSize(18);
    return view;
}

void aplicaLarguras(QTableView* view, const ui::MemTableModel& model) {
    const auto& colunas = model.columns();
    for (size_t i = 0; i < colunas.size(); ++i)
        if (colunas[i].width > 0)
            view->setColumnWidth(static_cast<int>(i), colunas[i].width);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Controls

void TFPrincipal::criaControles() {
    setFixedSize(532, 444);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* cabecalho = new QWidget(this);
    cabecalho->setObjectName(QStringLiteral("Panel1"));
    cabecalho->setGeometry(0, 0, 532, 113);
    auto* titulo = new QLabel(QStringLiteral("Servidor Rarud Erevur VORN"), cabecalho);
    titulo->setObjectName(QStringLiteral("Label1"));
    titulo->setAlignment(Qt::AlignCenter);
    titulo->setGeometry(0, 6, 532, 36);
    auto* aviso = new QLabel(QStringLiteral("Este programa faz parte do sistema VORN e não pode "
                                            "ser utilizado separadamente"),
                             cabecalho);
    aviso->setObjectName(QStringLiteral("LabelAviso"));
    aviso->setWordWrap(true);
    aviso->setAlignment(Qt::AlignCenter);
    aviso->setGeometry(16, 44, 500, 40);
    BoxNaoMinimizar = new QCheckBox(QStringLiteral("Não Minimizar"), cabecalho);
    BoxNaoMinimizar->setObjectName(QStringLiteral("BoxNaoMinimizar"));
    BoxNaoMinimizar->setGeometry(8, 88, 200, 22);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 113, 532, 331);

    // Terminais Conectados
    TabTerminaisConectados = new QWidget;
    TabTerminaisConectados->setObjectName(QStringLiteral("TabTerminaisConectados"));
    DBGrid1 = grade(TabTerminaisConectados, "DBGrid1");
    DBGrid1->setGeometry(4, 4, 518, 240);
    LabelTemErro =
        new QLabel(QStringLiteral("Não foi possível ativar o servidor. Verifique as configurações"),
                   TabTerminaisConectados);
    LabelTemErro->setObjectName(QStringLiteral("LabelTemErro"));
    LabelTemErro->setGeometry(4, 250, 380, 40);
    LabelTemErro->setWordWrap(true);
    LabelTemErro->setVisible(false);
    JvXPButton1 = new QPushButton(QStringLiteral("Reiniciar Server"), TabTerminaisConectados);
    JvXPButton1->setObjectName(QStringLiteral("JvXPButton1"));
    JvXPButton1->setGeometry(392, 256, 126, 28);
    connect(JvXPButton1, &QPushButton::clicked, this, &TFPrincipal::JvXPButton1Click);
    PageControl1->addTab(TabTerminaisConectados, QStringLiteral("Terminais Conectados"));

    // Configurações
    TabConfiguracoes = new QWidget;
    TabConfiguracoes->setObjectName(QStringLiteral("TabConfiguracoes"));
    rotulo(TabConfiguracoes, QStringLiteral("Filial"), 12, 14);
    EditFilial = campo(TabConfiguracoes, "EditFilial", 120, 10, 390);
    rotulo(TabConfiguracoes, QStringLiteral("Tabela de Preços"), 12, 44);
    EditTabPrecos = campo(TabConfiguracoes, "EditTabPrecos", 120, 40, 390);
    rotulo(TabConfiguracoes, QStringLiteral("Porta"), 12, 74);
    EditPorta = campo(TabConfiguracoes, "EditPorta", 120, 70, 80);
    EditPorta->setAlignment(Qt::AlignRight);
    rotulo(TabConfiguracoes, QStringLiteral("Host"), 12, 104);
    EditHost = campo(TabConfiguracoes, "EditHost", 120, 100, 390);
    rotulo(TabConfiguracoes, QStringLiteral("Tipo Conexão"), 12, 134);
    EditTipoConexao = campo(TabConfiguracoes, "EditTipoConexao", 120, 130, 390);
    BoxIncluirUnVenda = new QCheckBox(QStringLiteral("Incluir Un. Venda"), TabConfiguracoes);
    BoxIncluirUnVenda->setObjectName(QStringLiteral("BoxIncluirUnVenda"));
    BoxIncluirUnVenda->setGeometry(120, 162, 200, 22);
    // Only the operator's click writes the option; setting the box at start-up does not.
    connect(BoxIncluirUnVenda, &QCheckBox::clicked, this, &TFPrincipal::BoxIncluirUnVendaClick);
    BotAlterarConfig = new QPushButton(QStringLiteral("Alterar"), TabConfiguracoes);
    BotAlterarConfig->setObjectName(QStringLiteral("BotAlterarConfig"));
    BotAlterarConfig->setGeometry(412, 256, 100, 28);
    PageControl1->addTab(TabConfiguracoes, QStringLiteral("Configurações"));

    // Logs
    TabLogs = new QWidget;
    TabLogs->setObjectName(QStringLiteral("TabLogs"));
    DBGrid3 = grade(TabLogs, "DBGrid3");
    DBGrid3->setGeometry(4, 4, 518, 250);
    BotLimpaLogs = new QPushButton(QStringLiteral("Limpar"), TabLogs);
    BotLimpaLogs->setObjectName(QStringLiteral("BotLimpaLogs"));
    BotLimpaLogs->setGeometry(422, 260, 96, 28);
    connect(BotLimpaLogs, &QPushButton::clicked, this, &TFPrincipal::BotLimpaLogsClick);
    PageControl1->addTab(TabLogs, QStringLiteral("Logs"));

    // Produtos Cadastrados
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    rotulo(TabSheet1, QStringLiteral("Filtrar (Cód., barras ou descrição)"), 4, 6);
    EditFiltraProd = campo(TabSheet1, "EditFiltraProd", 4, 24, 300);
    BitBtn2 = new QPushButton(QStringLiteral("Listar Todos"), TabSheet1);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(312, 20, 100, 28);
    LabelQtdeProdutos = new QLabel(TabSheet1);
    LabelQtdeProdutos->setObjectName(QStringLiteral("LabelQtdeProdutos"));
    LabelQtdeProdutos->setGeometry(418, 26, 104, 20);
    LabelQtdeProdutos->setVisible(false);
    DBGrid4 = grade(TabSheet1, "DBGrid4");
    DBGrid4->setGeometry(4, 52, 518, 246);
    PageControl1->addTab(TabSheet1, QStringLiteral("Produtos Cadastrados"));

    PageControl1->setCurrentWidget(TabConfiguracoes);

    DSTerminaisConectados = new ui::MemTableModel(
        FDMemTerminaisConectados,
        {{"IP", QStringLiteral("IP"), 0, Qt::AlignCenter},
         {"COD_TERMINAL", QStringLiteral("Código do Terminal"), 120, Qt::AlignCenter}},
        this);
    DBGrid1->setModel(DSTerminaisConectados);
    aplicaLarguras(DBGrid1, *DSTerminaisConectados);
    DSLogs = new ui::MemTableModel(FDMemLogs,
                                   {{"DATA_HORA", QStringLiteral("Data/Hora"), 90},
                                    {"IP_ORIG_DESTINO", QStringLiteral("Origem/Destino"), 86},
                                    {"CONTEUDO", QStringLiteral("Conteúdo"), 243}},
                                   this);
    DBGrid3->setModel(DSLogs);
    aplicaLarguras(DBGrid3, *DSLogs);
    DSProdutosListagem =
        new ui::MemTableModel(FDMemProdutosListagem,
                              {{"COD_ALFA", QStringLiteral("Código"), 86},
                               {"CODIGOBARRAS", QStringLiteral("Código Barras"), 127},
                               {"DESCRICAO", QStringLiteral("Descrição"), 253}},
                              this);
    DBGrid4->setModel(DSProdutosListagem);
    aplicaLarguras(DBGrid4, *DSProdutosListagem);
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
    TrayPrinc->setToolTip(QStringLiteral("Rarud Erevur VORN"));
    TrayPrinc->setIcon(QApplication::windowIcon());
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
