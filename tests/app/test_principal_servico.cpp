// How the server window serves, says why it does not, and comes back: the headless lines, an
// unreadable settings file, a restart after a fixed record, a start with the database down, the
// bounded activity log, and the tray hiding that waits for an open dialog.

#include "TestTerminal.h"
#include "TestWindow.h"

#include "app/LogLimitado.h"
#include "app/Principal.h"
#include "app/RegistroConsole.h"
#include "common/SealedRecord.h"
#include "platform/Codepage.h"
#include "platform/MessageBox.h"
#include "ui/Msg.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vorn;
using namespace vorn::test;
using app::TFPrincipal;
using terminal::protocol::Kind;
using ui::MsgAnswer;

namespace {

std::string utf8(const std::string& ansi) {
    return platform::ansiToUtf8(ansi);
}

// The lines a headless server would write, collected.
struct Console {
    QStringList linhas;
    std::function<void(const QString&)> saida() {
        return [this](const QString& linha) { linhas << linha; };
    }
};

// A private Firebird instance the test can stop and start, with the fixture database in a
// program folder whose Conexao.ini points at it.
class BancoParticular {
public:
    explicit BancoParticular(ServerFolder& folder) : folder_(folder) {
        start();
        std::string portText;
        if (runFirebirdScript("port '" + dir() + "'", &portText) != 0)
            throw std::runtime_error("no port for the private Firebird instance");
        port_ = static_cast<std::uint16_t>(std::stoi(portText));
        std::string output;
        if (runFirebirdScript("create-db '" + dir() + "' '" + banco() + "' fixture", &output) != 0)
            throw std::runtime_error("cannot create the database: " + output);
        folder_.writeConexao(port_);
    }
    ~BancoParticular() { runFirebirdScript("stop '" + dir() + "'"); }
    BancoParticular(const BancoParticular&) = delete;
    BancoParticular& operator=(const BancoParticular&) = delete;

    void start() {
        if (runFirebirdScript("start '" + dir() + "'") != 0)
            throw std::runtime_error("cannot start the private Firebird instance");
    }
    void stop() { runFirebirdScript("stop '" + dir() + "'"); }
    std::uint16_t port() const { return port_; }
    std::string banco() const { return (folder_.dir() / "Dados" / "KALUNDRA.FDB").string(); }

private:
    std::string dir() const { return instance_.path().string(); }
    ServerFolder& folder_;
    TempDir instance_;
    std::uint16_t port_ = 0;
};

class Servico : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Units

TEST(RegistroConsole, EachRowIsOneLineWithDateOriginAndText) {
    const QDateTime quando(QDate(2026, 3, 4), QTime(5, 6, 7));
    struct Case {
        const char* origem;
        const char* texto;
        const char* linha;
    } cases[] = {
        {"Servidor", "Servidor ativado com sucesso",
         "2026-03-04 05:06:07 Servidor Servidor ativado com sucesso"},
        {"", "Dados enviados com sucesso ao terminal. ID: 7",
         "2026-03-04 05:06:07 - Dados enviados com sucesso ao terminal. ID: 7"},
        // A server's multi-line error text, or a barcode with a control character, stays on one
        // line.
        {"Servidor", "Unable to complete\n-Failed\r\x01x",
         "2026-03-04 05:06:07 Servidor Unable to complete -Failed  x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::LinhaConsole(quando, QString::fromUtf8(c.origem), QString::fromUtf8(c.texto))
                      .toStdString(),
                  c.linha);
}

TEST(RegistroConsole, TheStateSaysWhatIsServedOrWhyNot) {
    app::EstadoServidor servindo{true, "1 - MATRIZ", "2 - VAREJO", 12, 6600, "0.0.0.0", {}};
    EXPECT_EQ(app::TextoEstado(servindo).toStdString(),
              "Servindo filial 1 - MATRIZ, tabela 2 - VAREJO, 12 produtos em cache, terminais na "
              "porta 6600 (endereço 0.0.0.0)");
    app::EstadoServidor parado;
    parado.motivo = "a filial 9 não existe na base de dados";
    EXPECT_EQ(app::TextoEstado(parado).toStdString(),
              "Terminais sem atendimento: a filial 9 não existe na base de dados");
}

TEST(LogLimitado, KeepsTheNewestRowsUpToTheLimit) {
    struct Case {
        int limite;
        int escritas;
    } cases[] = {{1, 4}, {5, 12}, {5, 5}, {300, 1000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.limite << " / " << c.escritas);
        data::MemTable tabela;
        tabela.addField("N", data::FieldType::Integer);
        tabela.addField("T", data::FieldType::Text, 10);
        tabela.open();
        for (int i = 1; i <= c.escritas; ++i) {
            tabela.append();
            tabela.setValue("N", std::int64_t{i});
            tabela.setValue("T", "linha " + std::to_string(i));
            tabela.post();
            app::DescartaLinhasAntigas(tabela, c.limite);
            ASSERT_LE(tabela.recordCount(), c.limite);
            // Whatever was dropped, the rows left are the newest, in their order.
            const int linhas = tabela.recordCount();
            ASSERT_GE(linhas, std::min(i, c.limite - c.limite / 100));
            for (int row = 1; row <= linhas; ++row)
                ASSERT_EQ(tabela.valueAt(row, 0), data::Value(std::int64_t{i - linhas + row}));
            EXPECT_EQ(tabela.valueAt(linhas, 1), data::Value("linha " + std::to_string(i)));
        }
        // Small limits are exact: the last `limite` rows.
        if (c.limite < 200) {
            EXPECT_EQ(tabela.recordCount(), std::min(c.limite, c.escritas));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The window

TEST_F(Servico, AHeadlessServerSaysWhatItServesAndEchoesEveryLogRow) {
    ServerFolder folder;
    folder.writeSettings(1, 2);
    Console console;
    app::AmbientePrincipal ambiente{folder.programFile()};
    ambiente.console = console.saida();
    TFPrincipal w(ambiente);
    const QString porta = QString::number(folder.terminalPort());
    ASSERT_EQ(console.linhas.size(), 2) << console.linhas.join("\n").toStdString();
    EXPECT_TRUE(console.linhas[0].endsWith(" Servidor Servidor ativado com sucesso"));
    EXPECT_TRUE(console.linhas[1].endsWith(
        " Servidor Servindo filial 1 - MATRIZ, tabela 2 - VAREJO, 12 produtos em cache, "
        "terminais na porta " +
        porta + " (endereço 127.0.0.1)"))
        << console.linhas[1].toStdString();

    TestTerminal terminal(folder.terminalPort());
    terminal.scan("0000");
    ASSERT_TRUE(terminal.answer().has_value());
    ASSERT_EQ(console.linhas.size(), 3);
    EXPECT_TRUE(console.linhas[2].contains(QRegularExpression(
        "^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d - Código de barras \\(0000\\) "
        "não localizado na base de dados\\. ID: \\d+$")))
        << console.linhas[2].toStdString();
}

TEST_F(Servico, AnUnreadableSettingsFileIsAnErrorNotBranchOne) {
    // Without the file, branch 1's default table is served; a file that is there but cannot be
    // read must not fall back to it.
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> prepara;
        const char* motivo;
    } cases[] = {
        {"a folder", [](const auto& ini) { std::filesystem::create_directory(ini); },
         "é uma pasta"},
        {"a symbolic link loop",
         [](const auto& ini) {
             std::filesystem::create_symlink(ini.string() + ".b", ini);
             std::filesystem::create_symlink(ini, ini.string() + ".b");
         },
         "laço de links simbólicos"},
        {"a link to a file that is not there (a share not mounted)",
         [](const auto& ini) { std::filesystem::create_symlink(ini.string() + ".ausente", ini); },
         "link simbólico aponta para um arquivo que não existe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServerFolder folder;
        c.prepara(folder.dir() / "ZedorErurav.ini");
        Console console;
        app::AmbientePrincipal ambiente{folder.programFile()};
        ambiente.console = console.saida();
        platform::MessageBoxRecorder boxes;
        TFPrincipal w(ambiente);
        EXPECT_TRUE(boxes.shown().empty());
        EXPECT_TRUE(w.temErroTabelas());
        EXPECT_TRUE(w.EditFilial->text().isEmpty());
        EXPECT_FALSE(w.LabelTemErro->isHidden());
        const std::string motivo = w.LabelTemErro->text().toStdString();
        EXPECT_NE(motivo.find("ZedorErurav.ini existe mas não pôde ser lido"), std::string::npos)
            << motivo;
        EXPECT_NE(motivo.find(c.motivo), std::string::npos) << motivo;
        EXPECT_FALSE(timer(w, "TimerEnvia")->isActive());
        EXPECT_FALSE(TestTerminal::listening(folder.terminalPort()));
        ASSERT_EQ(console.linhas.size(), 1);
        EXPECT_TRUE(console.linhas[0].contains(" Servidor Terminais sem atendimento: o arquivo "))
            << console.linhas[0].toStdString();
        EXPECT_TRUE(console.linhas[0].contains(c.motivo)) << console.linhas[0].toStdString();
    }
}

TEST_F(Servico, RestartAfterTheRecordIsFixedServesTheNewTableAndClearsTheLabel) {
    ServerFolder folder;
    folder.writeSettings(1, 9); // a table branch 1 does not have
    ui::TFMsg msg;
    TFPrincipal w({folder.programFile()});
    w.DefineMsg(&msg);
    ASSERT_TRUE(w.temErroTabelas());
    ASSERT_FALSE(w.LabelTemErro->isHidden());
    EXPECT_NE(w.motivoInativo().toStdString().find("a tabela de preços 9 não existe na filial 1"),
              std::string::npos)
        << w.motivoInativo().toStdString();

    {
        ui::ScopedMsgAnswers answers{MsgAnswer::informa("2"), MsgAnswer::informa("5-VAREJO CENTRO"),
                                     MsgAnswer::informa("Centro#2024")};
        w.BotAlterarConfigClick();
        ASSERT_EQ(answers.pendentes(), 0u);
    }
    ASSERT_FALSE(w.temErroTabelas());
    // The label no longer blames the former record; it says what brings the new one in.
    EXPECT_FALSE(w.LabelTemErro->isHidden());
    EXPECT_TRUE(w.LabelTemErro->text().contains("\"Reiniciar Server\" ativa o servidor"))
        << w.LabelTemErro->text().toStdString();
    {
        ui::ScopedMsgAnswers answers;
        w.JvXPButton1Click();
        ASSERT_EQ(answers.shown().size(), 1u);
        EXPECT_EQ(answers.shown()[0].mensagem.trimmed(), "Servidor reiniciado com sucesso.");
    }
    EXPECT_TRUE(w.LabelTemErro->isHidden());
    EXPECT_TRUE(w.motivoInativo().isEmpty());
    TestTerminal terminal(folder.terminalPort());
    terminal.scan("7891000100011");
    auto answer = terminal.answer();
    ASSERT_TRUE(answer.has_value());
    ASSERT_EQ(answer->kind, Kind::Found);
    EXPECT_EQ(answer->price, "R$ 5,19"); // branch 2's table 5

    // A new price in the database is served at the next restart, not ten minutes later.
    runTestSql((folder.dir() / "Dados" / "KALUNDRA.FDB").string(),
               "UPDATE PRECOS_PROD_SERV SET PRECO = 6.25 WHERE FILIAL = 2 AND TABELA = 5 AND "
               "PRODUTO = 1;");
    {
        ui::ScopedMsgAnswers answers;
        w.JvXPButton1Click();
    }
    TestTerminal again(folder.terminalPort());
    again.scan("7891000100011");
    answer = again.answer();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->price, "R$ 6,25");

    // A record that goes bad again: the restart says so, the label comes back, nothing listens.
    folder.writeSettings(1, 9);
    {
        ui::ScopedMsgAnswers answers;
        w.JvXPButton1Click();
        ASSERT_EQ(answers.shown().size(), 1u);
        EXPECT_TRUE(answers.shown()[0].mensagem.contains("a tabela de preços 9 não existe"));
    }
    EXPECT_FALSE(w.LabelTemErro->isHidden());
    EXPECT_FALSE(TestTerminal::listening(folder.terminalPort()));
}

TEST_F(Servico, AStartWithTheDatabaseDownSaysWhatWasTriedAndComesBackWhenItIs) {
    ServerFolder folder(false);
    BancoParticular banco(folder);
    folder.writeSettings(1, 2);
    banco.stop();

    ui::TFMsg msg;
    std::unique_ptr<TFPrincipal> w;
    {
        platform::MessageBoxRecorder boxes;
        w = std::make_unique<TFPrincipal>(app::AmbientePrincipal{folder.programFile()});
        ASSERT_EQ(boxes.shown().size(), 1u);
        const std::string texto = boxes.shown()[0].text.toStdString();
        // What was tried, where that comes from, then the server's own text.
        for (const std::string& parte :
             {std::string("Não foi possível conectar ao banco de dados"),
              std::string("servidor 127.0.0.1"), "porta " + std::to_string(banco.port()),
              "banco " + banco.banco(), folder.programDir().toStdString() + "Conexao.ini",
              std::string("Resposta do servidor: ")})
            EXPECT_NE(texto.find(parte), std::string::npos) << parte << " in " << texto;
        EXPECT_GT(texto.size(), texto.find("Resposta do servidor: ") + 22);
    }
    w->DefineMsg(&msg);
    {
        // Showing the window (the program does right after the start-up) repeats no box.
        platform::MessageBoxRecorder boxes;
        w->show();
        EXPECT_TRUE(boxes.shown().empty());
        w->hide();
    }
    EXPECT_FALSE(w->LabelTemErro->isHidden());
    EXPECT_FALSE(timer(*w, "TimerEnvia")->isActive());
    EXPECT_FALSE(TestTerminal::listening(folder.terminalPort()));
    QTimer* novaTentativa = timer(*w, "TimerNovaTentativa");
    EXPECT_TRUE(novaTentativa->isActive());
    EXPECT_EQ(novaTentativa->interval(), 30000);

    // Still down: the restart says why and the retries go on.
    {
        ui::ScopedMsgAnswers answers;
        w->JvXPButton1Click();
        ASSERT_EQ(answers.shown().size(), 1u);
        EXPECT_TRUE(answers.shown()[0].mensagem.contains("Não foi possível conectar"));
    }
    EXPECT_TRUE(novaTentativa->isActive());

    // Back: the restart tries at once.
    banco.start();
    {
        ui::ScopedMsgAnswers answers;
        w->JvXPButton1Click();
        ASSERT_EQ(answers.shown().size(), 1u);
        EXPECT_EQ(answers.shown()[0].mensagem.trimmed(), "Servidor reiniciado com sucesso.");
    }
    EXPECT_FALSE(novaTentativa->isActive());
    EXPECT_TRUE(w->LabelTemErro->isHidden());
    EXPECT_EQ(w->memPrecos().recordCount(), 12);
    TestTerminal terminal(folder.terminalPort());
    terminal.scan("7891000100011");
    const auto answer = terminal.answer();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->kind, Kind::Found);
}

TEST_F(Servico, TheRetryAloneStartsTheServiceOnceTheDatabaseIsBack) {
    ServerFolder folder(false);
    BancoParticular banco(folder);
    folder.writeSettings(1, 2);
    banco.stop();

    Console console;
    app::AmbientePrincipal ambiente{folder.programFile()};
    ambiente.console = console.saida();
    ambiente.intervaloNovaTentativaMs = 100;
    std::unique_ptr<TFPrincipal> w;
    {
        platform::MessageBoxRecorder quiet;
        w = std::make_unique<TFPrincipal>(ambiente);
    }
    ASSERT_FALSE(console.linhas.isEmpty());
    EXPECT_TRUE(console.linhas.back().contains("Terminais sem atendimento: Não foi possível "
                                               "conectar ao banco de dados"));
    // A few retries while it is still down: no box each time, only the state line.
    {
        platform::MessageBoxRecorder boxes;
        QTest::qWait(350);
        EXPECT_TRUE(boxes.shown().empty());
    }
    EXPECT_FALSE(timer(*w, "TimerEnvia")->isActive());

    banco.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return timer(*w, "TimerEnvia")->isActive(); }, 20000));
    EXPECT_FALSE(timer(*w, "TimerNovaTentativa")->isActive());
    EXPECT_TRUE(w->LabelTemErro->isHidden());
    EXPECT_TRUE(console.linhas.back().contains("Servindo filial 1 - MATRIZ, tabela 2 - VAREJO, 12 "
                                               "produtos em cache"))
        << console.linhas.back().toStdString();
    TestTerminal terminal(folder.terminalPort());
    terminal.scan("7891000100011");
    const auto answer = terminal.answer();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(utf8(answer->price), "R$ 4,99");
}

TEST_F(Servico, TheActivityLogKeepsItsNewestRows) {
    EXPECT_EQ(app::AmbientePrincipal{}.limiteLogs, 100000);

    ServerFolder folder;
    app::AmbientePrincipal ambiente{folder.programFile()};
    ambiente.limiteLogs = 3;
    TFPrincipal w(ambiente);
    for (int id = 1; id <= 5; ++id)
        w.RespondeConsulta(id, "nada");
    const data::MemTable& logs = w.memLogs();
    ASSERT_EQ(logs.recordCount(), 3);
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(utf8(std::get<std::string>(logs.valueAt(row, logs.indexOf("CONTEUDO")))),
                  "Código de barras (nada) não localizado na base de dados. ID: " +
                      std::to_string(row + 2));
}

TEST_F(Servico, TheWindowWaitsForAnOpenDialogBeforeHidingToTheTray) {
    TestWindow win;
    win.w->show();
    QTimer* hide = timer(*win.w, "TimerHideApp");
    bool visivelDurante = false;
    bool ativoDurante = true;
    // The hiding tick comes while the dialog waits for the operator.
    QTimer::singleShot(50, &win.msg, [&] {
        win.w->TimerHideAppTimer();
        visivelDurante = win.w->isVisible();
        ativoDurante = hide->isActive();
        win.msg.done(0);
    });
    QTimer::singleShot(10000, &win.msg, [&] { win.msg.done(0); }); // watchdog
    win.msg.AvisoOutros(QStringLiteral("Uma mensagem aguarda o operador."));
    EXPECT_TRUE(visivelDurante);
    EXPECT_FALSE(ativoDurante);
    // Closed: the 15 s start again, and their tick hides the window.
    EXPECT_TRUE(hide->isActive());
    EXPECT_EQ(hide->interval(), 15000);
    win.w->TimerHideAppTimer();
    EXPECT_FALSE(win.w->isVisible());
}
