#include "app/Principal.h"

#include "app/BarcodeText.h"
#include "app/IconePrograma.h"
#include "app/LogLimitado.h"
#include "app/PortaTerminais.h"
#include "app/RegistroConsole.h"
#include "app/TerminalScan.h"
#include "catalogue/PriceCache.h"
#include "common/CriaAtalho.h"
#include "common/NumberPattern.h"
#include "common/SealedRecord.h"
#include "common/uFuncPubl.h"
#include "config/ConexaoBanco.h"
#include "config/ConsultasFilialTabela.h"
#include "config/ErroConexao.h"
#include "data/AbreConsulta.h"
#include "platform/Codepage.h"
#include "platform/DeveloperMarker.h"
#include "platform/MessageBox.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "ui/AparenciaCampos.h"
#include "ui/EventGuard.h"
#include "ui/MemTableModel.h"
#include "ui/Msg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
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
const QString kAvisoErro =
    QStringLiteral("Não foi possível ativar o servidor. Verifique as configurações");

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
    for (QTimer* timer : {&TimerEnvia, &TimerTerminaisConectados, &TimerAtualizaPrecos,
                          &TimerHideApp, &TimerNovaTentativa})
        timer->setParent(this);
    TimerEnvia.setObjectName(QStringLiteral("TimerEnvia"));
    TimerTerminaisConectados.setObjectName(QStringLiteral("TimerTerminaisConectados"));
    TimerAtualizaPrecos.setObjectName(QStringLiteral("TimerAtualizaPrecos"));
    TimerHideApp.setObjectName(QStringLiteral("TimerHideApp"));
    TimerNovaTentativa.setObjectName(QStringLiteral("TimerNovaTentativa"));
    TimerNovaTentativa.setInterval(ambiente_.intervaloNovaTentativaMs);
    TimerEnvia.setInterval(1000);
    TimerTerminaisConectados.setInterval(1000);
    TimerAtualizaPrecos.setInterval(60000);
    TimerHideApp.setInterval(15);
    connect(&TimerEnvia, &QTimer::timeout, this, &TFPrincipal::TimerEnviaTimer);
    connect(&TimerTerminaisConectados, &QTimer::timeout, this,
            &TFPrincipal::TimerTerminaisConectadosTimer);
    connect(&TimerAtualizaPrecos, &QTimer::timeout, this, &TFPrincipal::TimerAtualizaPrecosTimer);
    connect(&TimerHideApp, &QTimer::timeout, this, &TFPrincipal::TimerHideAppTimer);
    connect(&TimerNovaTentativa, &QTimer::timeout, this, &TFPrincipal::TimerNovaTentativaTimer);
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

    // 7, 8.
    PageControl1->setCurrentWidget(TabTerminaisConectados);
    for (QLineEdit* edit :
         {EditFilial, EditTabPrecos, EditPorta, EditHost, EditTipoConexao, EditFiltraProd})
        ui::BloqueiaCampo(edit);

    // 9.
    PreparaTabelasMemoria();

    // 11.
    TimerAtualizaPrecos.setInterval(600000);
    TimerEnvia.setInterval(10);
    TimerHideApp.setInterval(15000);
    TimerAtualizaPrecos.start();
    TimerHideApp.start();

    // 5, 6, 10, 12: branch and table, the error label, the price cache, the terminal service.
    // A database that cannot be reached does not end the start-up: the window says why, and the
    // start is tried again until the database answers.
    AtivaServidor();
    if (VFalhaBanco)
        ui::MostraErroPadrao(VMotivoInativo);
}

void TFPrincipal::AtivaServidor() {
    TimerNovaTentativa.stop();
    VFalhaBanco = false;
    VMotivoInativo.clear();
    try {
        LeConfiguracoes();
        if (!VTemErroTabelas) {
            // Terminals are answered from a cache loaded now, never from none.
            CarregaPrecos();
            IniciaServicoTerminais();
        }
    } catch (const data::DatabaseError& e) {
        VFalhaBanco = true;
        VMotivoInativo = e.message();
    }
    if (!VFalhaBanco) {
        if (VTemErroTabelas)
            VMotivoInativo = VMotivoConfig;
        else if (!TimerEnvia.isActive())
            VMotivoInativo = MotivoFalhaTerminais(LePortaTerminais());
    }
    if (!VMotivoInativo.isEmpty()) {
        // Nothing listens while terminals would not be answered.
        TimerEnvia.stop();
        vInitialize();
    }
    if (VFalhaBanco)
        TimerNovaTentativa.start();
    AtualizaAvisoErro();
    EscreveEstado();
}

void TFPrincipal::AtualizaAvisoErro() {
    LabelTemErro->setText(VMotivoInativo.isEmpty() ? kAvisoErro
                                                   : kAvisoErro + u'\n' + VMotivoInativo);
    LabelTemErro->setVisible(!VMotivoInativo.isEmpty());
}

void TFPrincipal::EscreveEstado() {
    if (!ambiente_.console)
        return;
    EstadoServidor estado;
    estado.servindo = VMotivoInativo.isEmpty();
    estado.filial = EditFilial->text();
    estado.tabela = EditTabPrecos->text();
    estado.produtos = FDMemPrecos.recordCount();
    const PortaTerminais porta = LePortaTerminais();
    estado.porta = porta.porta;
    estado.endereco = porta.endereco;
    estado.motivo = VMotivoInativo;
    ambiente_.console(
        LinhaConsole(ambiente_.agora(), QStringLiteral("Servidor"), TextoEstado(estado)));
}

void TFPrincipal::MostraPortaTerminais() {
    const PortaTerminais porta = LePortaTerminais();
    if (!porta.lida)
        return;
    VPorta = porta.porta;
    EditPorta->setText(QString::number(porta.porta));
}

void TFPrincipal::AbreConexao() {
    if (FDConexao.connected())
        return;
    try {
        FDConexao.open();
    } catch (const data::DatabaseError& e) {
        throw data::DatabaseError(config::TextoErroConexao(FDConexao,
                                                           VDirApp + QStringLiteral("Conexao.ini"),
                                                           e.message())
                                      .toStdString(),
                                  e.gdsCodes());
    }
}

void TFPrincipal::IniciaServicoTerminais() {
    vInitialize();
    const int iniciado = tc_startserver();
    GravaLog(QStringLiteral("Servidor"), iniciado != 0
                                             ? QStringLiteral("Servidor ativado com sucesso")
                                             : QStringLiteral("Falha na ativação do servidor"));
    if (iniciado != 0) {
        TimerEnvia.start();
        // The library has just read its settings: this is the port it listens on.
        MostraPortaTerminais();
    } else {
        // The reason reaches the operator, not only the library's line on standard error.
        GravaLog(QStringLiteral("Servidor"), MotivoFalhaTerminais(LePortaTerminais()));
    }
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
    VMotivoConfig = QStringLiteral("filial ou tabela de preços não encontrada na base de dados");
    VPorta = 6500;
    const QString arquivo = VDirApp + QString::fromLatin1(config::kArquivoConfiguracoes);
    // A file that is there but cannot be read is not a missing one: serving branch 1's default
    // table instead would answer another shop's prices.
    try {
        VAuxStr = platform::readProfileStringStrict(arquivo, QStringLiteral("Config"),
                                                    QStringLiteral("Dados"), QString());
    } catch (const platform::ProfileError& e) {
        VMotivoConfig = QStringLiteral("o arquivo ") + arquivo +
                        QStringLiteral(" existe mas não pôde ser lido (") +
                        QString::fromUtf8(e.what()) + u')';
        return;
    }
    BoxIncluirUnVenda->setChecked(common::LeIniBool(arquivo, QStringLiteral("Config"),
                                                    QStringLiteral("IncluiUnVenda"), true));
    if (VAuxStr.isEmpty()) {
        VCodFilial = 1;
        VCodTabelaPrecos = -1;
    } else {
        VAuxStr = common::AbreRegistro(VAuxStr);
        const common::CodigosFilialTabela codigos = common::LeCodigosRegistro(VAuxStr);
        VCodFilial = codigos.filial;
        VCodTabelaPrecos = codigos.tabela;
    }
    if (VCodFilial == 0 || VCodTabelaPrecos == 0 || VPorta == 0) {
        VMotivoConfig = QStringLiteral("o registro de filial e tabela de ") + arquivo +
                        QStringLiteral(" não pôde ser lido");
        return;
    }

    AbreConexao();
    data::AbreConsulta(FDQCurin, config::SqlNomeFilial(VCodFilial));
    if (FDQCurin.eof()) {
        VMotivoConfig = QStringLiteral("a filial ") + QString::number(VCodFilial) +
                        QStringLiteral(" não existe na base de dados");
        return;
    }
    const QString filial =
        QString::number(VCodFilial) + QStringLiteral(" - ") + FDQCurin.asQString("NOME_CURTO");

    if (VCodTabelaPrecos == -1) {
        data::AbreConsulta(FDQCurin, config::SqlTabelaPadrao(VCodFilial));
        VCodTabelaPrecos =
            FDQCurin.eof() ? 0 : static_cast<std::int32_t>(FDQCurin.asInteger("CODIGO"));
    } else {
        data::AbreConsulta(FDQCurin, config::SqlDescricaoTabela(VCodFilial, VCodTabelaPrecos));
    }
    if (FDQCurin.eof()) {
        VMotivoConfig =
            VCodTabelaPrecos == 0
                ? QStringLiteral("a filial ") + QString::number(VCodFilial) +
                      QStringLiteral(" não tem tabela de preços padrão")
                : QStringLiteral("a tabela de preços ") + QString::number(VCodTabelaPrecos) +
                      QStringLiteral(" não existe na filial ") + QString::number(VCodFilial);
        return;
    }
    const QString tabela =
        QString::number(VCodTabelaPrecos) + QStringLiteral(" - ") + FDQCurin.asQString("DESCRICAO");

    EditFilial->setText(filial);
    EditTabPrecos->setText(tabela);
    MostraPortaTerminais();
    VTemErroTabelas = false;
    VMotivoConfig.clear();
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
    AbreConexao();
    catalogue::CarregaPrecos(FDConexao, FDQCurin, FDMemPrecos, VCodFilial, VCodTabelaPrecos);
}

void TFPrincipal::FormShow() {
    // While the database could not be reached, the retries load the cache: a reload here would
    // only repeat the error box the start-up has just shown.
    if (VFalhaBanco)
        return;
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
    const QDateTime quando = ambiente_.agora();
    FDMemLogs.append();
    FDMemLogs.setValue("DATA_HORA", quando);
    if (!origem.isEmpty())
        FDMemLogs.setText("IP_ORIG_DESTINO", origem);
    FDMemLogs.setText("CONTEUDO", conteudo);
    FDMemLogs.post();
    DescartaLinhasAntigas(FDMemLogs, ambiente_.limiteLogs);
    DSLogs->refresh();
    if (ambiente_.console)
        ambiente_.console(LinhaConsole(quando, origem, conteudo));
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

void TFPrincipal::TimerNovaTentativaTimer() {
    ui::runGuarded([this] { AtivaServidor(); });
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
        // The restart really restarts the service: the branch/table record is read again, the
        // price cache loaded fresh and the library listens anew (it drops its terminals first),
        // so a record fixed with "Alterar" or a new price table is served at once.
        AtivaServidor();
        atualizaGrades();
        if (!FMsg)
            return;
        if (VMotivoInativo.isEmpty())
            FMsg->Sucesso(QStringLiteral("Servidor reiniciado com sucesso."), 4);
        else
            FMsg->Erro(LabelTemErro->text(), QString());
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
        // Hiding now would leave an open dialog alone on the desktop: the 15 s start again when
        // it closes.
        if (QWidget* modal = QApplication::activeModalWidget()) {
            TimerHideApp.stop();
            if (auto* dialogo = qobject_cast<QDialog*>(modal)) {
                connect(
                    dialogo, &QDialog::finished, this,
                    [this] {
                        if (isVisible())
                            TimerHideApp.start();
                    },
                    Qt::SingleShotConnection);
            } else {
                TimerHideApp.start();
            }
            return;
        }
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
    ambiente_.encerraPrograma();
}

} // namespace vorn::app
