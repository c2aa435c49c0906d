// The server window in-process: offscreen, with the real Firebird server of the tests and the
// real terminal library on a loopback port.

#include "ServerFolder.h"
#include "TestTerminal.h"

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

std::vector<LogRow> logRows(data::MemTable& logs) {
    std::vector<LogRow> rows;
    for (logs.first(); !logs.eof(); logs.next()) {
        EXPECT_TRUE(logs.asDateTime("DATA_HORA").isValid());
        rows.push_back({logs.asQString("IP_ORIG_DESTINO").toStdString(),
                        logs.asQString("CONTEUDO").toStdString()});
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
    EXPECT_EQ(w.EditPorta->text(), "6500");
    EXPECT_EQ(w.EditHost->text(), "127.0.0.1");
    EXPECT_EQ(w.EditTipoConexao->text(), "Servidor local");
    EXPECT_TRUE(w.EditFilial->isReadOnly());
    EXPECT_TRUE(w.LabelTemErro->isHidden());
    EXPECT_TRUE(w.BoxIncluirUnVenda->isChecked());
    EXPECT_EQ(w.PageControl1->currentWidget(), w.TabTerminaisConectados);
    EXPECT_EQ(w.memPrecos().recordCount(), 12);

    EXPECT_TRUE(w.timerEnvia().isActive());
    EXPECT_EQ(w.timerEnvia().interval(), 10);
    EXPECT_TRUE(w.timerAtualizaPrecos().isActive());
    EXPECT_EQ(w.timerAtualizaPrecos().interval(), 600000);
    EXPECT_TRUE(w.timerHideApp().isActive());
    EXPECT_EQ(w.timerHideApp().interval(), 15000);
    EXPECT_TRUE(w.timerTerminaisConectados().isActive());
    EXPECT_EQ(w.timerTerminaisConectados().interval(), 1000);

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
        EXPECT_FALSE(w.timerEnvia().isActive());
        EXPECT_TRUE(w.timerHideApp().isActive());
        EXPECT_TRUE(w.timerAtualizaPrecos().isActive());
        EXPECT_TRUE(w.timerTerminaisConectados().isActive());
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
    const auto rows = logRows(w.memLogs());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].origem, "Servidor");
    EXPECT_EQ(rows[0].conteudo, "Falha na ativação do servidor");
    EXPECT_FALSE(w.timerEnvia().isActive());
    EXPECT_FALSE(w.temErroTabelas());
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
    second.idle(1500);
    data::MemTable& list = w.memTerminaisConectados();
    ASSERT_EQ(list.recordCount(), 2);
    std::set<std::string> ids;
    for (list.first(); !list.eof(); list.next()) {
        EXPECT_EQ(list.asString("IP"), "127.0.0.1");
        ids.insert(list.asString("COD_TERMINAL"));
    }
    EXPECT_EQ(ids.size(), 2u);

    first.reset();
    second.idle(1500);
    EXPECT_EQ(list.recordCount(), 1);
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
    EXPECT_TRUE(w.memPrecos().locate("CODIGOBARRAS", data::Value(std::string("7891000100011"))));

    ASSERT_EQ(runFirebirdScript("start '" + instance.path().string() + "'"), 0);
    platform::MessageBoxRecorder boxes;
    w.TimerAtualizaPrecosTimer();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(w.memPrecos().recordCount(), 12);
}
