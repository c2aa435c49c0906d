// vorn-screenshots: pictures of the server window's four tabs and of every kind of message dialog,
// as PNG files, for the documentation. It starts the real server window on a program folder
// prepared by scripts/screenshots (a database with the demo data, a sealed branch and table, the
// terminal library's settings), connects a few terminals that scan barcodes, so the lists hold
// real rows, and grabs each tab; then it shows each dialog kind for real and grabs it before
// closing it. The clock of the log rows is fixed, so the pictures are the same on every run.
//
//   vorn-screenshots --program-dir DIR --terminal-port PORT --out DIR

#include "TerminalLink.h"

#include "app/Principal.h"
#include "platform/DeveloperMarker.h"
#include "ui/Msg.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace vorn;

namespace {

struct Opcoes {
    QString pastaPrograma;
    std::uint16_t portaTerminais = 0;
    QString saida;
};

bool leOpcoes(const QStringList& args, Opcoes& opcoes) {
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--program-dir"))
            opcoes.pastaPrograma = args[i + 1];
        else if (args[i] == QLatin1String("--terminal-port"))
            opcoes.portaTerminais = static_cast<std::uint16_t>(args[i + 1].toUInt());
        else if (args[i] == QLatin1String("--out"))
            opcoes.saida = args[i + 1];
        else
            return false;
    }
    return !opcoes.pastaPrograma.isEmpty() && opcoes.portaTerminais != 0 && !opcoes.saida.isEmpty();
}

// Turns the event loop for `ms` while `trabalho` runs on each turn.
void espera(int ms, const std::function<void()>& trabalho = {}) {
    QElapsedTimer relogio;
    relogio.start();
    while (relogio.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (trabalho)
            trabalho();
    }
}

class Capturas {
public:
    explicit Capturas(QString pasta) : pasta_(std::move(pasta)) {}

    void salva(QWidget& widget, const QString& nome) {
        const QString arquivo = QDir(pasta_).filePath(nome + QStringLiteral(".png"));
        if (!widget.grab().save(arquivo)) {
            std::fprintf(stderr, "vorn-screenshots: cannot write %s\n", qPrintable(arquivo));
            falhas_++;
            return;
        }
        std::printf("%s\n", qPrintable(arquivo));
    }

    // Shows a dialog through `mostra` (which returns when it closes): once it has been on screen
    // for a moment it is grabbed and closed with `fecha`.
    void dialogo(ui::TFMsg& msg, const QString& nome, const std::function<void()>& mostra,
                 const std::function<void()>& fecha) {
        auto* relogio = new QTimer(&msg);
        relogio->setInterval(50);
        auto visivelHa = std::make_shared<int>(0);
        QObject::connect(relogio, &QTimer::timeout, &msg, [=, this, &msg] {
            if (!msg.isVisible())
                return;
            if (++*visivelHa < 8) // let it lay out and paint
                return;
            relogio->stop();
            salva(msg, nome);
            fecha();
        });
        relogio->start();
        mostra();
        relogio->stop();
        relogio->deleteLater();
        if (*visivelHa == 0) {
            std::fprintf(stderr, "vorn-screenshots: the dialog %s did not show\n",
                         qPrintable(nome));
            falhas_++;
        }
    }

    int falhas() const { return falhas_; }

private:
    QString pasta_;
    int falhas_ = 0;
};

// A terminal that scans once and keeps its connection.
struct Terminal {
    std::unique_ptr<tools::TerminalLink> link;
};

std::vector<Terminal> conectaTerminais(std::uint16_t porta,
                                       const std::vector<std::string>& leituras) {
    std::vector<Terminal> terminais;
    for (const std::string& codigo : leituras) {
        auto conexao = tools::connectTcp("127.0.0.1", porta, std::chrono::milliseconds(2000));
        if (auto* erro = std::get_if<std::string>(&conexao)) {
            std::fprintf(stderr, "vorn-screenshots: no terminal connection: %s\n", erro->c_str());
            continue;
        }
        Terminal t{std::make_unique<tools::TerminalLink>(
            std::move(std::get<terminal::UniqueFd>(conexao)))};
        t.link->send(terminal::protocol::scan(codigo));
        terminais.push_back(std::move(t));
    }
    return terminais;
}

int executa(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rarud Erevur VORN"));
    QApplication::setQuitOnLastWindowClosed(false);
    Opcoes opcoes;
    if (!leOpcoes(QCoreApplication::arguments(), opcoes)) {
        std::fprintf(stderr, "usage: vorn-screenshots --program-dir DIR --terminal-port PORT "
                             "--out DIR\n");
        return 2;
    }
    QDir().mkpath(opcoes.saida);
    Capturas capturas(opcoes.saida);
    // The pictures show the program folder given, even on a developer's machine.
    platform::ScopedDeveloperMarkerFile semMarcador(
        QDir(opcoes.pastaPrograma).filePath(QStringLiteral("no-developer-marker.ini")));

    // A fixed clock: every log row a few seconds after the last.
    auto instante = std::make_shared<QDateTime>(QDateTime(QDate(2024, 5, 17), QTime(9, 41, 7)));
    app::AmbientePrincipal ambiente;
    ambiente.programFile = QDir(opcoes.pastaPrograma).filePath(QStringLiteral("bpvorn"));
    ambiente.agora = [instante] {
        *instante = instante->addSecs(13);
        return *instante;
    };
    app::TFPrincipal janela(ambiente);
    ui::TFMsg msg;
    msg.DefinePastaPrograma(janela.dirApp());
    janela.DefineMsg(&msg);
    janela.findChild<QTimer*>(QStringLiteral("TimerHideApp"))->stop();
    janela.show();
    espera(300);

    // Terminals that scan two products of the demo data and one unknown barcode.
    std::vector<Terminal> terminais = conectaTerminais(
        opcoes.portaTerminais, {"7894321000015", "7894321000084", "7890000000000"});
    espera(2500, [&terminais] {
        for (Terminal& t : terminais) {
            t.link->flush();
            t.link->pump();
            while (t.link->take()) {
            }
        }
    });

    const auto aba = [&](QWidget* pagina, const QString& nome) {
        janela.PageControl1->setCurrentWidget(pagina);
        espera(150);
        capturas.salva(janela, nome);
    };
    janela.DBGrid1->selectRow(1);
    aba(janela.TabTerminaisConectados, QStringLiteral("janela-terminais-conectados"));
    aba(janela.TabConfiguracoes, QStringLiteral("janela-configuracoes"));
    janela.DBGrid3->selectRow(2);
    aba(janela.TabLogs, QStringLiteral("janela-logs"));
    {
        // The product list asks for the administrator's password of the demo branch.
        ui::ScopedMsgAnswers senha{ui::MsgAnswer::informa(QStringLiteral("Vorn@2024"))};
        janela.PageControl1->setCurrentWidget(janela.TabSheet1);
        janela.BitBtn2->click();
    }
    janela.DBGrid4->selectRow(3);
    aba(janela.TabSheet1, QStringLiteral("janela-produtos-cadastrados"));

    // Every kind of message dialog.
    const auto fechaNao = [&msg] { msg.reject(); };
    const auto fechaOk = [&msg] { msg.done(ui::mrYes); };
    capturas.dialogo(
        msg, QStringLiteral("msg-sucesso"),
        [&] { msg.Sucesso(QStringLiteral("Servidor reiniciado com sucesso."), 4); }, fechaOk);
    capturas.dialogo(
        msg, QStringLiteral("msg-erro"),
        [&] {
            msg.Erro(QStringLiteral("Falha na ativação do servidor"), QStringLiteral("Porta 6500"));
        },
        fechaOk);
    capturas.dialogo(
        msg, QStringLiteral("msg-aviso-importante"),
        [&] {
            msg.AvisoImportante(QStringLiteral(
                "A tabela de preços foi alterada. Os terminais passam a consultar a nova tabela."));
        },
        fechaOk);
    capturas.dialogo(
        msg, QStringLiteral("msg-aviso-outros"),
        [&] {
            msg.AvisoOutros(QStringLiteral(
                "O Rarud Erevur VORN será apenas minimizado. Se você quer encerrá-lo, deve clicar "
                "com o botão direito do mouse no trayIcon e selecionar a opção para encerrar."));
        },
        fechaOk);
    capturas.dialogo(
        msg, QStringLiteral("msg-aviso-helps"),
        [&] {
            msg.AvisoHelps(QStringLiteral("Digite parte do código, do código de barras ou da "
                                          "descrição para filtrar a lista de produtos."),
                           10, true);
        },
        fechaOk);
    capturas.dialogo(
        msg, QStringLiteral("msg-confirmacao-simples"),
        [&] {
            msg.ConfirmacaoSimples(QStringLiteral("Confirma?"), QStringLiteral("Sim"),
                                   QStringLiteral("Não"));
        },
        fechaNao);
    capturas.dialogo(
        msg, QStringLiteral("msg-confirmacao-atencao"),
        [&] {
            msg.ConfirmacaoAtencao(
                QStringLiteral("A interrupção do Rarud Erevur VORN impedirá que terminais "
                               "consultem preços.\r\nGostaria de interromper a execução?"),
                QStringLiteral("Sim"), QStringLiteral("Não"));
        },
        fechaNao);
    capturas.dialogo(
        msg, QStringLiteral("msg-confirmacao-erro"),
        [&] {
            msg.ConfirmacaoErro(QStringLiteral("Não foi possível ler a tabela de preços. Tentar "
                                               "novamente?"),
                                QStringLiteral("Tentar"), QStringLiteral("Cancelar"));
        },
        fechaNao);

    using ui::TFormatoPedidoInformacao;
    struct Pedido {
        const char* nome;
        const char* texto;
        TFormatoPedidoInformacao tipo;
        const char* padrao;
    };
    const Pedido pedidos[] = {
        {"msg-pedido-texto", "Informe o nome do terminal:", TFormatoPedidoInformacao::tfTexto,
         "Caixa 1"},
        {"msg-pedido-inteiro", "Informe o código da filial:", TFormatoPedidoInformacao::tfInteiro,
         "1"},
        {"msg-pedido-numerico", "Informe o preço:", TFormatoPedidoInformacao::tfNumerico, "1234,5"},
        {"msg-pedido-lista", "Escolha a tabela de preços:", TFormatoPedidoInformacao::tfTextoLista,
         ""},
        {"msg-pedido-data", "Informe a data:", TFormatoPedidoInformacao::tfData, "17/05/2024"},
        {"msg-pedido-senha", "Informe a senha do administrador:", TFormatoPedidoInformacao::tfPass,
         ""},
    };
    for (const Pedido& p : pedidos) {
        if (p.tipo == TFormatoPedidoInformacao::tfTextoLista) {
            msg.ComboBoxToRetorno->clear();
            msg.ComboBoxToRetorno->addItems({QStringLiteral("1 - ATACADO"),
                                             QStringLiteral("2 - VAREJO"),
                                             QStringLiteral("3 - PROMOÇÃO")});
        }
        capturas.dialogo(
            msg, QString::fromLatin1(p.nome),
            [&] {
                QString resultado;
                msg.PedidoInformacao(resultado, QString::fromUtf8(p.texto), p.tipo,
                                     QString::fromUtf8(p.padrao), QStringLiteral("#,##0.00"));
            },
            fechaNao);
    }
    return capturas.falhas() == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return executa(argc, argv);
    } catch (const app::ProgramaEncerrado&) {
        std::fprintf(stderr, "vorn-screenshots: the program folder's settings are unusable\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorn-screenshots: %s\n", e.what());
    }
    return 1;
}
