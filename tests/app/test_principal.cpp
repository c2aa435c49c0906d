// The server window in-process: offscreen, with the real Firebird server of the tests and the
// real terminal library on a loopback port.

#include "TestTerminal.h"
#include "TestWindow.h"
#include "support/ServerFolder.h"

#include "app/Principal.h"
#include "app/TerminalScan.h"
#include "common/SealedRecord.h"
#include "platform/Codepage.h"
#include "platform/MessageBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <arpa/inet.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <unistd.h>

using namespace vorn;
using namespace vorn::test;
using app::TFPrincipal;
using terminal::protocol::Kind;

namespace {

std::string utf8(const std::string& ansi) {
    return platform::ansiToUtf8(ansi);
}

struct LogRow {
    std::string origem;
    std::string conteudo;
};

// A text field of a row, in UTF-8 (empty for NULL).
std::string texto(const data::MemTable& table, int row, std::string_view field) {
    const data::Value value = table.valueAt(row, table.indexOf(field));
    return data::isNull(value) ? std::string() : utf8(std::get<std::string>(value));
}

std::vector<LogRow> logRows(const data::MemTable& logs) {
    std::vector<LogRow> rows;
    for (int row = 1; row <= logs.recordCount(); ++row) {
        const data::Value quando = logs.valueAt(row, logs.indexOf("DATA_HORA"));
        EXPECT_TRUE(std::holds_alternative<QDateTime>(quando) &&
                    std::get<QDateTime>(quando).isValid());
        rows.push_back({texto(logs, row, "IP_ORIG_DESTINO"), texto(logs, row, "CONTEUDO")});
    }
    return rows;
}

class Principal : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

} // namespace

TEST_F(Principal, GoodConfigurationLoadsPricesAndStartsTheTerminalService) {
    ServerFolder folder;
    folder.writeSettings(1, 2);
    platform::MessageBoxRecorder boxes;
    TFPrincipal w({folder.programFile()});

    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(w.windowTitle(), "Rarud Erevur VORN - Servidor - 2.0");
    EXPECT_EQ(w.dirApp(), folder.programDir());
    EXPECT_FALSE(w.temErroTabelas());
    EXPECT_EQ(w.EditFilial->text(), "1 - MATRIZ");
    EXPECT_EQ(w.EditTabPrecos->text(), "2 - VAREJO");
    // The port the terminal library really listens on: its settings moved it off 6500.
    EXPECT_EQ(w.EditPorta->text(), QString::number(folder.terminalPort()));
    EXPECT_TRUE(w.motivoInativo().isEmpty());
    EXPECT_EQ(w.EditHost->text(), "127.0.0.1");
    EXPECT_EQ(w.EditTipoConexao->text(), "Servidor local");
    EXPECT_TRUE(w.EditFilial->isReadOnly());
    EXPECT_TRUE(w.LabelTemErro->isHidden());
    EXPECT_TRUE(w.BoxIncluirUnVenda->isChecked());
    EXPECT_EQ(w.PageControl1->currentWidget(), w.TabTerminaisConectados);
    EXPECT_EQ(w.memPrecos().recordCount(), 12);

    EXPECT_TRUE(timer(w, "TimerEnvia")->isActive());
    EXPECT_EQ(timer(w, "TimerEnvia")->interval(), 10);
    EXPECT_TRUE(timer(w, "TimerAtualizaPrecos")->isActive());
    EXPECT_EQ(timer(w, "TimerAtualizaPrecos")->interval(), 600000);
    EXPECT_TRUE(timer(w, "TimerHideApp")->isActive());
    EXPECT_EQ(timer(w, "TimerHideApp")->interval(), 15000);
    EXPECT_TRUE(timer(w, "TimerTerminaisConectados")->isActive());
    EXPECT_EQ(timer(w, "TimerTerminaisConectados")->interval(), 1000);

    const auto rows = logRows(w.memLogs());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].origem, "Servidor");
    EXPECT_EQ(rows[0].conteudo, "Servidor ativado com sucesso");

    // The autostart entry points at the program, started in its folder.
    const std::string entry = readFile(folder.autostartEntry());
    EXPECT_NE(entry.find("Exec=" + folder.programFile().toStdString()), std::string::npos);
    EXPECT_NE(entry.find("Path=" + folder.programDir().toStdString()), std::string::npos);
}

TEST_F(Principal, WithoutSettingsFileBranchOneAndItsDefaultTableAreServed) {
    ServerFolder folder;
    TFPrincipal w({folder.programFile()});
    EXPECT_FALSE(w.temErroTabelas());
    EXPECT_EQ(w.codFilial(), 1);
    EXPECT_EQ(w.codTabelaPrecos(), 2);
    EXPECT_EQ(w.EditFilial->text(), "1 - MATRIZ");
    EXPECT_TRUE(w.BoxIncluirUnVenda->isChecked());
}

TEST_F(Principal, BranchOrTableErrorsKeepTheTerminalServiceStopped) {
    struct Case {
        const char* name;
        std::string dados; // the [Config] Dados text
    } cases[] = {
        {"unknown branch",
         common::SelaRegistro(common::MontaRegistroFilialTabela(9, 2)).toStdString()},
        {"unknown table",
         common::SelaRegistro(common::MontaRegistroFilialTabela(1, 9)).toStdString()},
        {"record that does not unseal", "00112233445566778899AABBCCDDEEFF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServerFolder folder;
        writeFile(folder.dir() / "ZedorErurav.ini", "[Config]\r\nDados=" + c.dados + "\r\n");
        platform::MessageBoxRecorder boxes;
        TFPrincipal w({folder.programFile()});
        EXPECT_TRUE(boxes.shown().empty());
        EXPECT_TRUE(w.temErroTabelas());
        EXPECT_FALSE(w.LabelTemErro->isHidden());
        EXPECT_TRUE(w.EditFilial->text().isEmpty());
        EXPECT_TRUE(w.EditTabPrecos->text().isEmpty());
        EXPECT_TRUE(logRows(w.memLogs()).empty());
        EXPECT_FALSE(timer(w, "TimerEnvia")->isActive());
        EXPECT_TRUE(timer(w, "TimerHideApp")->isActive());
        EXPECT_TRUE(timer(w, "TimerAtualizaPrecos")->isActive());
        EXPECT_TRUE(timer(w, "TimerTerminaisConectados")->isActive());
        EXPECT_FALSE(w.memPrecos().active()); // not loaded at start-up

        // The first showing loads the cache all the same, with the codes as they stand.
        w.show();
        EXPECT_TRUE(w.memPrecos().active());
        w.hide();
    }
}

TEST_F(Principal, FailedStartOfTheTerminalServiceIsLoggedOnce) {
    ServerFolder folder;
    // Something else already listens on the terminal port.
    const int blocker = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(folder.terminalPort());
    ASSERT_EQ(::bind(blocker, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(blocker, 1), 0);

    TFPrincipal w({folder.programFile()});
    ::close(blocker);
    // The failure and its reason reach the operator: a log row and the window's error label.
    const std::string motivo = "porta " + std::to_string(folder.terminalPort()) +
                               " em 127.0.0.1 em uso ou endereço inválido";
    const auto rows = logRows(w.memLogs());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].origem, "Servidor");
    EXPECT_EQ(rows[0].conteudo, "Falha na ativação do servidor");
    EXPECT_EQ(rows[1].origem, "Servidor");
    EXPECT_EQ(rows[1].conteudo, motivo);
    EXPECT_FALSE(timer(w, "TimerEnvia")->isActive());
    EXPECT_FALSE(w.temErroTabelas());
    EXPECT_FALSE(w.LabelTemErro->isHidden());
    EXPECT_TRUE(w.LabelTemErro->text().endsWith(QString::fromStdString(motivo)));
    EXPECT_EQ(w.motivoInativo().toStdString(), motivo);
}

TEST_F(Principal, UnusableConnectionSettingsEndTheProgramWithOneBox) {
    // No Conexao.ini, and (second case) a developer machine, whose fixed folder has none either.
    for (bool developer : {false, true}) {
        SCOPED_TRACE(developer ? "developer machine" : "missing Conexao.ini");
        ServerFolder folder(false);
        std::unique_ptr<platform::ScopedDeveloperMarkerFile> marker;
        if (developer) {
            writeFile(folder.dir() / "marker.ini", "[Geral]\r\nchaveIdent=#904%%Kqz\r\n");
            marker = std::make_unique<platform::ScopedDeveloperMarkerFile>(
                QString::fromStdString((folder.dir() / "marker.ini").string()));
            folder.writeConexao(firebirdTestEnv().port); // in the program folder: not looked at
        }
        platform::MessageBoxRecorder boxes;
        EXPECT_THROW(TFPrincipal w({folder.programFile()}), app::ProgramaEncerrado);
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].caption, "Houve um erro");
        EXPECT_TRUE(boxes.shown()[0].text.startsWith("Não foi possível estabelecer o tipo"));
        // The developer's machine writes no autostart entry.
        EXPECT_EQ(std::filesystem::exists(folder.autostartEntry()), !developer);
    }
}

TEST_F(Principal, ScannedBarcodesAreAnsweredFromTheCacheAndLogged) {
    ServerFolder folder;
    folder.writeSettings(1, 2, true);
    TFPrincipal w({folder.programFile()});
    TestTerminal terminal(folder.terminalPort());

    struct Case {
        std::string sent;
        Kind kind;
        const char* description; // UTF-8
        const char* price;
        const char* logged; // the barcode as the log row shows it, for not found
    } cases[] = {
        {"7891000100011\r\n", Kind::Found, "AÇÚCAR CRISTAL 1KG - UN", "R$ 4,99", nullptr},
        {"78910001\n00028", Kind::Found, "CAFÉ TORRADO E MOÍDO 500G - PCT", "R$ 18,75", nullptr},
        {"7891000100097", Kind::Found, "ARROZ INTEGRAL 1KG - UN", "R$ 9,12", nullptr},
        {"7891000100134", Kind::Found, "ÁGUA MINERAL Nº 1 SEM GÁS 500ML - ",
         "R$ 100.000.000.000.000,00", nullptr},
        {"7891000100127", Kind::Found, "CHOCOLATE 70% CACAU 100G - UN", "R$ 0,00", nullptr},
        {"07891000100011", Kind::NotFound, nullptr, nullptr, "07891000100011"},
        {"7891000100073", Kind::NotFound, nullptr, nullptr, "7891000100073"}, // inactive
        {" \t\r\n ", Kind::NotFound, nullptr, nullptr, ""},
    };
    size_t expectedRows = 1; // the start-up row
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sent);
        terminal.scan(c.sent);
        const auto answer = terminal.answer();
        ASSERT_TRUE(answer.has_value());
        ASSERT_EQ(answer->kind, c.kind);
        const auto rows = logRows(w.memLogs());
        ASSERT_EQ(rows.size(), ++expectedRows);
        EXPECT_EQ(rows.back().origem, "");
        if (c.kind == Kind::Found) {
            EXPECT_EQ(utf8(answer->description), c.description);
            EXPECT_EQ(utf8(answer->price), c.price);
            EXPECT_TRUE(
                rows.back().conteudo.starts_with("Dados enviados com sucesso ao terminal. ID: "));
        } else {
            EXPECT_TRUE(rows.back().conteudo.starts_with(std::string("Código de barras (") +
                                                         c.logged +
                                                         ") não localizado na base de dados. ID: "))
                << rows.back().conteudo;
        }
    }
}

TEST_F(Principal, WithoutTheSalesUnitTheDescriptionIsSentAlone) {
    ServerFolder folder;
    folder.writeSettings(1, 2, false);
    TFPrincipal w({folder.programFile()});
    EXPECT_FALSE(w.BoxIncluirUnVenda->isChecked());
    TestTerminal terminal(folder.terminalPort());
    terminal.scan("7891000100011");
    const auto answer = terminal.answer();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(utf8(answer->description), "AÇÚCAR CRISTAL 1KG");

    // Ticking the box writes the option at once and the next answer carries the unit.
    w.BoxIncluirUnVenda->click();
    EXPECT_NE(readFile(folder.dir() / "ZedorErurav.ini").find("IncluiUnVenda=1"),
              std::string::npos);
    terminal.scan("7891000100011");
    EXPECT_EQ(utf8(terminal.answer()->description), "AÇÚCAR CRISTAL 1KG - UN");
}

TEST_F(Principal, FailedSendsAndNotFoundAreLoggedInTheirOrder) {
    ServerFolder folder;
    TFPrincipal w({folder.programFile()});
    // Terminal 4242 is not connected: the price cannot go out.
    w.RespondeConsulta(4242, "7891000100011");
    w.RespondeConsulta(4242, "nada");
    const auto rows = logRows(w.memLogs());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].conteudo, "Erro no envio do ID 4242");
    EXPECT_EQ(rows[2].conteudo,
              "Código de barras (nada) não localizado na base de dados. ID: 4242");
}

TEST_F(Principal, ConnectedTerminalsAreListedAndDropOffWhenTheyLeave) {
    ServerFolder folder;
    TFPrincipal w({folder.programFile()});
    auto first = std::make_unique<TestTerminal>(folder.terminalPort());
    TestTerminal second(folder.terminalPort());
    const data::MemTable& list = w.memTerminaisConectados();
    ASSERT_TRUE(second.idleUntil([&] { return list.recordCount() == 2; }));
    std::set<std::string> ids;
    for (int row = 1; row <= list.recordCount(); ++row) {
        EXPECT_EQ(list.valueAt(row, list.indexOf("IP")), data::Value(std::string("127.0.0.1")));
        ids.insert(std::get<std::string>(list.valueAt(row, list.indexOf("COD_TERMINAL"))));
    }
    EXPECT_EQ(ids.size(), 2u);

    first.reset();
    EXPECT_TRUE(second.idleUntil([&] { return list.recordCount() == 1; }));
}

TEST_F(Principal, EveryListedTerminalGetsItsKeepAlive) {
    ServerFolder folder;
    TFPrincipal w({folder.programFile()});
    TestTerminal terminal(folder.terminalPort());
    // The refresh of the list (once a second) sends each terminal a keep-alive.
    EXPECT_TRUE(terminal.idleUntil([&] { return terminal.keepAlivesAnswered() >= 2; }));
}

TEST_F(Principal, NotFoundIsLoggedBeforeItIsSent) {
    // When the log row cannot be written, the request ends there: the terminal gets no answer,
    // as for any error on the way, rather than an answer the log never shows.
    ServerFolder folder;
    folder.writeSettings(1, 2);
    bool relogioQuebrado = false;
    app::AmbientePrincipal ambiente{folder.programFile()};
    ambiente.agora = [&relogioQuebrado] {
        if (relogioQuebrado)
            throw std::runtime_error("relógio indisponível");
        return QDateTime::currentDateTime();
    };
    TFPrincipal w(ambiente);
    TestTerminal terminal(folder.terminalPort());
    terminal.scan("7891000100011");
    ASSERT_TRUE(terminal.answer().has_value());

    platform::MessageBoxRecorder boxes;
    relogioQuebrado = true;
    terminal.scan("0000000000000");
    ASSERT_TRUE(terminal.idleUntil([&] { return !boxes.shown().empty(); }));
    EXPECT_EQ(boxes.shown()[0].text, "relógio indisponível");
    EXPECT_FALSE(terminal.answer(300).has_value());
}

TEST(TerminalScan, SlotsTheRefreshExamines) {
    struct Case {
        const char* name;
        std::vector<int> occupied;
        int numSockConec;
        std::vector<int> listed;
    } cases[] = {
        {"empty table", {}, 0, {}},
        {"slot 0 taken while the count says 0", {0, 5}, 0, {0}},
        {"free slots between", {3, 7, 100}, 3, {3, 7, 100}},
        {"count reached early", {1, 2, 9}, 2, {1, 2}},
        {"slots 1022 and 1023 are never listed", {10, 1021, 1022, 1023}, 4, {10, 1021}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTABSOCK table{};
        for (int slot : c.occupied)
            table.TabSock[slot] = slot + 1;
        table.NumSockConec = c.numSockConec;
        std::vector<int> listed;
        app::VarreTabelaTerminais(table, [&](int slot) { listed.push_back(slot); });
        EXPECT_EQ(listed, c.listed);
    }
}

TEST_F(Principal, DatabaseDownDuringATimedReloadKeepsThePricesAndShowsOneBox) {
    TempDir instance;
    ASSERT_EQ(runFirebirdScript("start '" + instance.path().string() + "'"), 0);
    struct Stop {
        std::string dir;
        ~Stop() { runFirebirdScript("stop '" + dir + "'"); }
    } stop{instance.path().string()};
    std::string portText;
    ASSERT_EQ(runFirebirdScript("port '" + instance.path().string() + "'", &portText), 0);
    const auto port = static_cast<std::uint16_t>(std::stoi(portText));

    ServerFolder folder(false);
    std::string output;
    ASSERT_EQ(runFirebirdScript("create-db '" + instance.path().string() + "' '" +
                                    (folder.dir() / "Dados" / "KALUNDRA.FDB").string() +
                                    "' fixture",
                                &output),
              0)
        << output;
    folder.writeConexao(port);
    TFPrincipal w({folder.programFile()});
    ASSERT_EQ(w.memPrecos().recordCount(), 12);

    ASSERT_EQ(runFirebirdScript("stop '" + instance.path().string() + "'"), 0);
    {
        platform::MessageBoxRecorder boxes;
        w.TimerAtualizaPrecosTimer();
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].caption, "Rarud Erevur VORN");
        EXPECT_FALSE(boxes.shown()[0].text.isEmpty());
    }
    EXPECT_EQ(w.memPrecos().recordCount(), 12);
    EXPECT_TRUE(contemValor(w.memPrecos(), "CODIGOBARRAS", std::string("7891000100011")));

    ASSERT_EQ(runFirebirdScript("start '" + instance.path().string() + "'"), 0);
    platform::MessageBoxRecorder boxes;
    w.TimerAtualizaPrecosTimer();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(w.memPrecos().recordCount(), 12);
}
