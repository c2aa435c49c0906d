#pragma once

// TFPrincipal: the server window. It owns all running state: the settings read at start, the
// connection settings, the database connection and its one query, the four memory tables, the
// timers that drive the terminal service, and the tray icon. Its creation runs the start-up
// sequence; showing it reloads the price cache.

#include "config/varsAndTypesPublicas.h"
#include "data/Connection.h"
#include "data/MemTable.h"
#include "data/Query.h"
#include "terminal/sc501ger.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <stdexcept>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPushButton;
class QSystemTrayIcon;
class QTabWidget;
class QTableView;

namespace vorn::ui {
class MemTableModel;
class TFMsg;
} // namespace vorn::ui

namespace vorn::app {

// Thrown by the start-up when the connection settings cannot be used: the operator has seen the
// error box and the program ends with exit code 0, showing no window.
class ProgramaEncerrado : public std::runtime_error {
public:
    ProgramaEncerrado() : std::runtime_error("program ends") {}
};

// What the window needs from its surroundings. The defaults are the running program's; tests
// give a program file inside a temporary folder.
struct AmbientePrincipal {
    QString programFile; // full path of the program file; empty: the running program
    // The clock of the log rows.
    std::function<QDateTime()> agora = [] { return QDateTime::currentDateTime(); };
    // Where a headless server writes its activity: each activity-log row and each line saying
    // what the server serves (or why not), one line each. Empty: nowhere (a window is in use).
    std::function<void(const QString&)> console = nullptr;
    // The activity log keeps its newest rows, at most this many.
    int limiteLogs = 100000;
    // A start that could not reach the database is tried again after this many milliseconds.
    int intervaloNovaTentativaMs = 30000;
    // Ends the program once the window accepted a close request. Tests that close a window
    // count the calls instead: QCoreApplication::exit() makes every later exec() of the process
    // return at once, and so would close the next test's dialogs before they are answered.
    std::function<void()> encerraPrograma = [] { QCoreApplication::exit(0); };
};

class TFPrincipal : public QWidget {
    Q_OBJECT
public:
    explicit TFPrincipal(AmbientePrincipal ambiente = {}, QWidget* parent = nullptr);
    ~TFPrincipal() override;

    // Connection settings, kept for the life of the window.
    config::TVarConexao VCon;
    // The last copy of the terminal library's table of connected terminals.
    TTABSOCK VTerminaisConectados{};

    // Read-only views of the running state, for the operator's tools and the tests.
    const QString& dirApp() const { return VDirApp; }
    int porta() const { return VPorta; }
    int codFilial() const { return VCodFilial; }
    int codTabelaPrecos() const { return VCodTabelaPrecos; }
    bool temErroTabelas() const { return VTemErroTabelas; }
    // Why terminals are not answered; empty while they are.
    const QString& motivoInativo() const { return VMotivoInativo; }
    const data::MemTable& memPrecos() const { return FDMemPrecos; }
    const data::MemTable& memLogs() const { return FDMemLogs; }
    const data::MemTable& memTerminaisConectados() const { return FDMemTerminaisConectados; }
    // The timers are children of the window under their own names (TimerEnvia,
    // TimerTerminaisConectados, TimerAtualizaPrecos, TimerHideApp, TimerNovaTentativa):
    // findChild<QTimer*> finds them.

    // The message dialog, created after the window (it does not exist during the start-up).
    void DefineMsg(ui::TFMsg* msg) { FMsg = msg; }

    // Timer and control handlers. Each catches at its boundary: an error is shown in the
    // standard error box and that event's work ends there.
    void TimerEnviaTimer();
    void TimerTerminaisConectadosTimer();
    void TimerAtualizaPrecosTimer();
    void TimerHideAppTimer();
    // After a start that could not reach the database: tries the start again.
    void TimerNovaTentativaTimer();
    void BoxIncluirUnVendaClick();
    void JvXPButton1Click();
    void BotLimpaLogsClick();
    void TrayPrincClick();
    void ResaturarAplicao1Click();
    void MenuSairClick();

    // Administrator flows: branch and price-table change, product listing.
    void BotAlterarConfigClick();
    void BitBtn2Click();
    void EditFiltraProdChange();
    void DBGrid4TitleClick(int coluna);
    const data::MemTable& memProdutosListagem() const { return FDMemProdutosListagem; }

    // Answers one cleaned barcode (Windows-1252) to terminal `id` and logs the outcome.
    void RespondeConsulta(std::int32_t id, const std::string& codigo);

    // The window's controls (named as the operator's screens name them).
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabTerminaisConectados = nullptr;
    QWidget* TabConfiguracoes = nullptr;
    QWidget* TabLogs = nullptr;
    QWidget* TabSheet1 = nullptr;
    QTableView* DBGrid1 = nullptr;
    QTableView* DBGrid3 = nullptr;
    QTableView* DBGrid4 = nullptr;
    QLabel* LabelTemErro = nullptr;
    QPushButton* JvXPButton1 = nullptr;
    QLineEdit* EditFilial = nullptr;
    QLineEdit* EditTabPrecos = nullptr;
    QLineEdit* EditPorta = nullptr;
    QLineEdit* EditHost = nullptr;
    QLineEdit* EditTipoConexao = nullptr;
    QCheckBox* BoxIncluirUnVenda = nullptr;
    QPushButton* BotAlterarConfig = nullptr;
    QPushButton* BotLimpaLogs = nullptr;
    QLineEdit* EditFiltraProd = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QLabel* LabelQtdeProdutos = nullptr;
    QCheckBox* BoxNaoMinimizar = nullptr;
    QSystemTrayIcon* TrayPrinc = nullptr;
    QMenu* PopMenuTray = nullptr;
    QAction* ResaturarAplicao1 = nullptr;
    QAction* MenuSair = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Start-up sequence and its steps.
    void FormCreate();
    void FormShow();
    void ConectaBanco();
    void MostraTipoConexao();
    void LeConfiguracoes();
    void PreparaTabelasMemoria();
    void CarregaPrecos();
    void IniciaServicoTerminais();
    // Branch and table, a fresh price cache and the terminal service: the part of the start-up
    // that "Reiniciar Server" and the retries run again. Sets VMotivoInativo, the error label
    // and, headless, the state line; starts the retries when the database could not be reached
    // (VFalhaBanco). Errors other than the database's pass to the caller.
    void AtivaServidor();
    // Attaches the connection when it is not; a failure says what was tried.
    void AbreConexao();
    void AtualizaAvisoErro();
    void EscreveEstado();
    void MostraPortaTerminais();
    bool ValidaAdministrador(std::int32_t filial);
    void alterarConfig();
    void listarProdutos();

    void GravaLog(const QString& origem, const QString& conteudo);

    // Tray.
    void OcultaNaBandeja();
    void RestauraJanela();
    void AtualizaMenuBandeja();
    // Decides a close request: true when the window may close (and the program end).
    bool FormCloseQuery();

    void criaControles();
    void criaBandeja();
    void atualizaGrades();

    AmbientePrincipal ambiente_;

    // State.
    QString VDirApp;
    QString VAuxStr;
    std::int32_t VPorta = 0;
    std::int32_t VCodFilial = 0;
    std::int32_t VCodTabelaPrecos = 0;
    bool VTemErroTabelas = true;
    // Why the branch/table reading failed (empty when it did not).
    QString VMotivoConfig;
    // Why terminals are not answered (empty while they are), and whether that is because the
    // database could not be reached.
    QString VMotivoInativo;
    bool VFalhaBanco = false;
    ui::TFMsg* FMsg = nullptr;

    // Non-visual components.
    QTimer TimerEnvia;
    QTimer TimerTerminaisConectados;
    QTimer TimerAtualizaPrecos;
    QTimer TimerHideApp;
    QTimer TimerNovaTentativa;
    data::Connection FDConexao;
    data::Query FDQCurin;
    data::MemTable FDMemTerminaisConectados;
    data::MemTable FDMemLogs;
    data::MemTable FDMemPrecos;
    data::MemTable FDMemProdutosListagem;
    ui::MemTableModel* DSTerminaisConectados = nullptr;
    ui::MemTableModel* DSLogs = nullptr;
    ui::MemTableModel* DSProdutosListagem = nullptr;
};

} // namespace vorn::app
