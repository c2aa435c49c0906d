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
    const data::MemTable& memPrecos() const { return FDMemPrecos; }
    const data::MemTable& memLogs() const { return FDMemLogs; }
    const data::MemTable& memTerminaisConectados() const { return FDMemTerminaisConectados; }
    // The timers are children of the window under their own names (TimerEnvia,
    // TimerTerminaisConectados, TimerAtualizaPrecos, TimerHideApp): findChild<QTimer*> finds them.

    // The message dialog, created after the window (it does not exist during the start-up).
    void DefineMsg(ui::TFMsg* msg) { FMsg = msg; }

    // Timer and control handlers. Each catches at its boundary: an error is shown in the
    // standard error box and that event's work ends there.
    void TimerEnviaTimer();
    void TimerTerminaisConectadosTimer();
    void TimerAtualizaPrecosTimer();
    void TimerHideAppTimer();
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
    ui::TFMsg* FMsg = nullptr;

    // Non-visual components.
    QTimer TimerEnvia;
    QTimer TimerTerminaisConectados;
    QTimer TimerAtualizaPrecos;
    QTimer TimerHideApp;
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
