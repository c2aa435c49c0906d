#include "app/Principal.h"

#include "app/BarcodeText.h"
#include "app/IconePrograma.h"
#include "app/TerminalScan.h"
#include "catalogue/PriceCache.h"
#include "common/CriaAtalho.h"
#include "common/NumberPattern.h"
#include "common/SealedRecord.h"
#include "common/uFuncPubl.h"
#include "config/ConexaoBanco.h"
#include "config/ConsultasFilialTabela.h"
#include "data/AbreConsulta.h"
#include "platform/Codepage.h"
#include "platform/DeveloperMarker.h"
#include "platform/MessageBox.h"
#include "platform/ProgramFolder.h"
#include "ui/AparenciaCampos.h"
#include "ui/EventGuard.h"
#include "ui/MemTableModel.h"
#include "ui/Msg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <array>
#include <cstring>

namespace vorn::app {

namespace {

const QString kTituloJanela = QStringLiteral("Rarud Erevur VORN - Servidor - 2.0");

} // namespace

TFPrincipal::TFPrincipal(AmbientePrincipal ambiente, QWidget* parent)
    : QWidget(parent), ambiente_(std::move(ambiente)), FDQCurin(FDConexao) {
    setObjectName(QStringLiteral("FPrincipal"));
    setWindowTitle(QStringLiteral("Servidor Rarud Erevur"));
    setWindowIcon(IconePrograma());
    criaControles();
    criaBandeja();
    connect(BotAlterarConfig, &QPushButton::clicked, this, &TFPrincipal::BotAlterarConfigClick);
    connect(BitBtn2, &QPushButton::clicked, this, &TFPrincipal::BitBtn2Click);
    connect(EditFiltraProd, &QLineEdit::textChanged, this, &TFPrincipal::EditFiltraProdChange);
    connect(DBGrid4->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TFPrincipal::DBGrid4TitleClick);

    // Timers as designed; the start-up sequence sets them for the run.
    for (QTimer* timer :
         {&TimerEnvia, &TimerTerminaisConectados, &TimerAtualizaPrecos, &TimerHideApp})
        timer->setParent(this);
    TimerEnvia.setObjectName(QStringLiteral("TimerEnvia"));
    TimerTerminaisConectados.setObjectName(QStringLiteral("TimerTerminaisConectados"));
    TimerAtualizaPrecos.setObjectName(QStringLiteral("TimerAtualizaPrecos"));
    TimerHideApp.setObjectName(QStringLiteral("TimerHideApp"));
    TimerEnvia.setInterval(1000);
    TimerTerminaisConectados.setInterval(1000);
    TimerAtualizaPrecos.setInterval(60000);
    TimerHideApp.setInterval(15);
    connect(&TimerEnvia, &QTimer::timeout, this, &TFPrincipal::TimerEnviaTimer);
    connect(&TimerTerminaisConectados, &QTimer::timeout, this,
            &TFPrincipal::TimerTerminaisConectadosTimer);
    connect(&TimerAtualizaPrecos, &QTimer::timeout, this, &TFPrincipal::TimerAtualizaPrecosTimer);
    connect(&TimerHideApp, &QTimer::timeout, this, &TFPrincipal::TimerHideAppTimer);
    TimerTerminaisConectados.start();
    TimerAtualizaPrecos.start();

    try {
        FormCreate();
    } catch (const ProgramaEncerrado&) {
        throw;
    } catch (const std::exception& e) {
        ui::MostraErroPadrao(QString::fromUtf8(e.what()));
    }
    atualizaGrades();
}

TFPrincipal::~TFPrincipal() = default;

// ---------------------------------------------------------------------------------------------
// Start-up

void TFPrincipal::FormCreate() {
    // 1. Caption.
    setWindowTitle(kTituloJanela);

    // 2. System folder and the start-at-logon entry.
    const QString programa =
        ambiente_.programFile.isEmpty() ? platform::programFilePath() : ambiente_.programFile;
    if (common::MaquinaDesenvolvimento()) {
        VDirApp = QString::fromLatin1(platform::kDeveloperProgramFolder);
    } else {
        VDirApp = QFileInfo(programa).absolutePath() + u'/';
        common::CriaAtalho(programa, QString(), VDirApp, QStringLiteral("VORN Rarud Erevur"),
                           QString(), 6);
    }

    // 3, 4. Connection settings and their display.
    ConectaBanco();
    MostraTipoConexao();

    // 5. Branch and price table.
    LeConfiguracoes();

    // 6, 7, 8.
    LabelTemErro->setVisible(VTemErroTabelas);
    PageControl1->setCurrentWidget(TabTerminaisConectados);
    for (QLineEdit* edit :
         {EditFilial, EditTabPrecos, EditPorta, EditHost, EditTipoConexao, EditFiltraProd})
        ui::BloqueiaCampo(edit);

    // 9.
    PreparaTabelasMemoria();

    // 10.
    if (!VTemErroTabelas)
        CarregaPrecos();

    // 11.
    TimerAtualizaPrecos.setInterval(600000);
    TimerEnvia.setInterval(10);
    TimerHideApp.setInterval(15000);
    TimerAtualizaPrecos.start();
    TimerHideApp.start();

    // 12.
    if (!VTemErroTabelas)
        IniciaServicoTerminais();
}

void TFPrincipal::IniciaServicoTerminais() {
    vInitialize();
    FDMemLogs.append();
    const int iniciado = tc_startserver();
    FDMemLogs.setValue("DATA_HORA", ambiente_.agora());
    FDMemLogs.setText("IP_ORIG_DESTINO", QStringLiteral("Servidor"));
    FDMemLogs.setText("CONTEUDO", iniciado != 0 ? QStringLiteral("Servidor ativado com sucesso")
                                                : QStringLiteral("Falha na ativação do servidor"));
    if (iniciado != 0)
        TimerEnvia.start();
    FDMemLogs.post();
    DSLogs->refresh();
}

void TFPrincipal::ConectaBanco() {
    if (!config::LeConexaoIni(VCon, VDirApp, QStringLiteral("Conexao.ini")))
        throw ProgramaEncerrado();
    config::ConfiguraConexao(FDConexao, VCon, VDirApp);
}

void TFPrincipal::MostraTipoConexao() {
    EditHost->setText(VCon.FServer);
    EditTipoConexao->setText(config::TextoTipoConexao(VCon));
}

void TFPrincipal::LeConfiguracoes() {
    VTemErroTabelas = true;
    VPorta = 6500;
    const QString arquivo = VDirApp + QString::fromLatin1(config::kArquivoConfiguracoes);
    BoxIncluirUnVenda->setChecked(common::LeIniBool(arquivo, QStringLiteral("Config"),
                                                    QStringLiteral("IncluiUnVenda"), true));
    VAuxStr =
        common::LeIniString(arquivo, QStringLiteral("Config"), QStringLiteral("Dados"), QString());
    if (VAuxStr.isEmpty()) {
        VCodFilial = 1;
        VCodTabelaPrecos = -1;
    } else {
        VAuxStr = common::AbreRegistro(VAuxStr);
        const common::CodigosFilialTabela codigos = common::LeCodigosRegistro(VAuxStr);
        VCodFilial = codigos.filial;
        VCodTabelaPrecos = codigos.tabela;
    }
    if (VCodFilial == 0 || VCodTabelaPrecos == 0 || VPorta == 0)
        return;

    data::AbreConsulta(FDQCurin, config::SqlNomeFilial(VCodFilial));
    if (FDQCurin.eof())
        return;
    const QString filial =
        QString::number(VCodFilial) + QStringLiteral(" - ") + FDQCurin.asQString("NOME_CURTO");

    if (VCodTabelaPrecos == -1) {
        data::AbreConsulta(FDQCurin, config::SqlTabelaPadrao(VCodFilial));
        VCodTabelaPrecos =
            FDQCurin.eof() ? 0 : static_cast<std::int32_t>(FDQCurin.asInteger("CODIGO"));
    } else {
        data::AbreConsulta(FDQCurin, config::SqlDescricaoTabela(VCodFilial, VCodTabelaPrecos));
    }
    if (FDQCurin.eof())
        return;
    const QString tabela =
        QString::number(VCodTabelaPrecos) + QStringLiteral(" - ") + FDQCurin.asQString("DESCRICAO");

    EditFilial->setText(filial);
    EditTabPrecos->setText(tabela);
    EditPorta->setText(QStringLiteral("6500"));
    VTemErroTabelas = false;
}

void TFPrincipal::PreparaTabelasMemoria() {
    FDMemTerminaisConectados.close();
    FDMemTerminaisConectados.clearFields();
    FDMemTerminaisConectados.addField("IP", data::FieldType::Text, 20);
    FDMemTerminaisConectados.addField("COD_TERMINAL", data::FieldType::Text, 20);
    FDMemTerminaisConectados.open();

    FDMemLogs.close();
    FDMemLogs.clearFields();
    FDMemLogs.addField("DATA_HORA", data::FieldType::DateTime);
    FDMemLogs.addField("IP_ORIG_DESTINO", data::FieldType::Text, 20);
    FDMemLogs.addField("CONTEUDO", data::FieldType::Text, 100);
    FDMemLogs.open();
    atualizaGrades();
}

void TFPrincipal::CarregaPrecos() {
    catalogue::CarregaPrecos(FDConexao, FDQCurin, FDMemPrecos, VCodFilial, VCodTabelaPrecos);
}

void TFPrincipal::FormShow() {
    CarregaPrecos();
}

void TFPrincipal::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ui::runGuarded([this] { FormShow(); });
}

// ---------------------------------------------------------------------------------------------
// Terminals

void TFPrincipal::TimerEnviaTimer() {
    ui::runGuarded([this] {
        std::int32_t id = 0;
        std::int32_t tamanho = 0;
        std::array<char, 1024> buffer{};
        if (!bReceiveBarcode(&id, &VPorta, buffer.data(), &tamanho) || tamanho <= 0)
            return;
        buffer.back() = '\0';
        const std::string codigo = NormalizaCodigoBarras(buffer.data());
        RespondeConsulta(id, codigo);
    });
}

void TFPrincipal::RespondeConsulta(std::int32_t id, const std::string& codigo) {
    if (!FDMemPrecos.active() || !FDMemPrecos.locate("CODIGOBARRAS", data::Value(codigo))) {
        GravaLog(QString(), QStringLiteral("Código de barras (") + platform::fromAnsi(codigo) +
                                QStringLiteral(") não localizado na base de dados. ID: ") +
                                QString::number(id));
        bSendProdNotFound(id);
        return;
    }
    QString descricao = FDMemPrecos.asQString("DESCR_PRODUTO");
    if (BoxIncluirUnVenda->isChecked())
        descricao += QStringLiteral(" - ") + FDMemPrecos.asQString("UN_VENDAS");
    std::array<char, 101> bufDescricao{};
    std::array<char, 101> bufPreco{};
    PreencheBuffer(descricao, bufDescricao.data(), 100);
    PreencheBuffer(common::formatPrice(FDMemPrecos.asCurrency("PRECO").scaled, QLocale()),
                   bufPreco.data(), 100);
    const bool enviado = bSendProdPrice(id, bufDescricao.data(), bufPreco.data());
    GravaLog(QString(), enviado ? QStringLiteral("Dados enviados com sucesso ao terminal. ID: ") +
                                      QString::number(id)
                                : QStringLiteral("Erro no envio do ID ") + QString::number(id));
}

void TFPrincipal::GravaLog(const QString& origem, const QString& conteudo) {
    FDMemLogs.append();
    FDMemLogs.setValue("DATA_HORA", ambiente_.agora());
    if (!origem.isEmpty())
        FDMemLogs.setText("IP_ORIG_DESTINO", origem);
    FDMemLogs.setText("CONTEUDO", conteudo);
    FDMemLogs.post();
    DSLogs->refresh();
}

void TFPrincipal::TimerTerminaisConectadosTimer() {
    ui::runGuarded([this] {
        TTABSOCK tabela{};
        GetTabConectados(&tabela, 1);
        std::memcpy(&VTerminaisConectados, &tabela, sizeof tabela);
        // When the start-up stopped before the list's table was defined, the terminals still
        // get their keep-alives; only the list stays empty (rather than one error box a second).
        const bool listar = FDMemTerminaisConectados.active();
        if (listar)
            FDMemTerminaisConectados.emptyTable();
        VarreTabelaTerminais(VTerminaisConectados, [this, listar](int slot) {
            const std::int32_t id = VTerminaisConectados.TabSock[slot];
            std::array<char, 21> ip{};
            TCinet_ntoa(VTerminaisConectados.TabUID[slot], ip.data());
            ip.back() = '\0';
            if (listar) {
                FDMemTerminaisConectados.append();
                FDMemTerminaisConectados.setValue("IP", std::string(ip.data()));
                FDMemTerminaisConectados.setValue("COD_TERMINAL", std::to_string(id));
                FDMemTerminaisConectados.post();
            }
            bEnviaVivo(id);
        });
        DSTerminaisConectados->refresh();
    });
}

void TFPrincipal::TimerAtualizaPrecosTimer() {
    ui::runGuarded([this] { CarregaPrecos(); });
}

void TFPrincipal::BoxIncluirUnVendaClick() {
    ui::runGuarded([this] {
        common::GravaIniBool(VDirApp + QString::fromLatin1(config::kArquivoConfiguracoes),
                             QStringLiteral("Config"), QStringLiteral("IncluiUnVenda"),
                             BoxIncluirUnVenda->isChecked());
    });
}

void TFPrincipal::JvXPButton1Click() {
    ui::runGuarded([this] {
        TimerEnvia.stop();
        FDMemTerminaisConectados.emptyTable();
        FDMemLogs.emptyTable();
        atualizaGrades();
        // The restart really restarts the terminal service: the library drops its terminals and
        // listens anew, so a branch fixed with "Alterar" is answered without a program restart.
        if (VTemErroTabelas) {
            if (FMsg)
                FMsg->Erro(LabelTemErro->text(), QString());
            return;
        }
        IniciaServicoTerminais();
        if (!FMsg)
            return;
        if (TimerEnvia.isActive())
            FMsg->Sucesso(QStringLiteral("Servidor reiniciado com sucesso."), 4);
        else
            FMsg->Erro(QStringLiteral("Falha na ativação do servidor"), QString());
    });
}

void TFPrincipal::BotLimpaLogsClick() {
    ui::runGuarded([this] {
        if (FMsg && !FMsg->ConfirmacaoSimples(QStringLiteral("Confirma?"), QStringLiteral("Sim"),
                                              QStringLiteral("Não")))
            return;
        FDMemLogs.emptyTable();
        DSLogs->refresh();
    });
}

// ---------------------------------------------------------------------------------------------
// Tray, hiding and closing

void TFPrincipal::OcultaNaBandeja() {
    if (QSystemTrayIcon::isSystemTrayAvailable())
        TrayPrinc->show();
    if (QSystemTrayIcon::isSystemTrayAvailable() || platform::messageBoxesGoToStandardError())
        hide();
    else
        showMinimized();
    AtualizaMenuBandeja();
}

void TFPrincipal::RestauraJanela() {
    TrayPrinc->hide();
    showNormal();
    raise();
    activateWindow();
    AtualizaMenuBandeja();
    TimerHideApp.start();
}

void TFPrincipal::AtualizaMenuBandeja() {
    MenuSair->setText(isVisible() && !isMinimized()
                          ? QStringLiteral("Minimizar")
                          : QStringLiteral("Encerrar Servidor Rarud Erevur"));
}

void TFPrincipal::TimerHideAppTimer() {
    ui::runGuarded([this] {
        if (BoxNaoMinimizar->isChecked())
            return;
        OcultaNaBandeja();
        TimerHideApp.stop();
    });
}

void TFPrincipal::TrayPrincClick() {
    ui::runGuarded([this] { RestauraJanela(); });
}

void TFPrincipal::ResaturarAplicao1Click() {
    ui::runGuarded([this] { RestauraJanela(); });
}

void TFPrincipal::MenuSairClick() {
    ui::runGuarded([this] { close(); });
}

bool TFPrincipal::FormCloseQuery() {
    const bool mostrada = isVisible() && !isMinimized();
    if (mostrada) {
        if (FMsg)
            FMsg->AvisoOutros(QStringLiteral(
                "O Rarud Erevur VORN será apenas minimizado. Se você quer encerrá-lo, deve clicar "
                "com o botão direito do mouse no trayIcon e selecionar a opção para encerrar."));
        OcultaNaBandeja();
        return false;
    }
    return FMsg == nullptr ||
           FMsg->ConfirmacaoSimples(
               QStringLiteral("A interrupção do Rarud Erevur VORN impedirá que terminais "
                              "consultem preços.\r\nGostaria de interromper a execução?"),
               QStringLiteral("Sim"), QStringLiteral("Não"));
}

void TFPrincipal::closeEvent(QCloseEvent* event) {
    bool fechar = false;
    ui::runGuarded([&] { fechar = FormCloseQuery(); });
    if (!fechar) {
        event->ignore();
        return;
    }
    // Closing the main window ends the message loop, and with it the program.
    event->accept();
    QCoreApplication::exit(0);
}

} // namespace vorn::app
