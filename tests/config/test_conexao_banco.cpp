// Connection settings: Conexao.ini read into TVarConexao, the database path of each kind, the
// connection's parameters and the kind's text.

#include "config/ConexaoBanco.h"
#include "data/AbreConsulta.h"
#include "data/Query.h"
#include "platform/MessageBox.h"
#include "platform/ProfileFile.h"
#include "support/FirebirdServer.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

using namespace vorn::config;
using vorn::data::Connection;
using vorn::test::readFile;
using vorn::test::TempDir;
using vorn::test::writeFile;

namespace {

const QString kErroTipo = QStringLiteral(
    "Não foi possível estabelecer o tipo da conexão. É provável que o arquivo Conexao.ini tenha "
    "sido excluído ou alterado. Revise as configurações de conexão desta máquina ou entre em "
    "contato com seu suporte.");

// The program folder the DATABASE of the local kinds is built from.
const QString kDirApp = QStringLiteral("/opt/SistemaVORN/");

struct Case {
    const char* name;
    // Conexao.ini: nullopt for no file at all; else its [Params] Server (nullptr: no such key),
    // the lines of [Outros] and of [Firebird].
    std::optional<const char*> iniServer;
    std::string outros;
    std::string firebird;
    bool usable;
    QString server;
    QString userMulti;
    QString pathServer;
    int porta;
    TFormaConexao tipo;
    QString database;     // DATABASE after ConfiguraConexao with kDirApp; empty: not set
    QString texto;        // TextoTipoConexao
    QString serverInFile; // [Params] Server afterwards; empty: the key is absent
};

std::string ini(const char* server, const std::string& outros, const std::string& firebird = "") {
    std::string text = "[Params]\r\n";
    if (server != nullptr)
        text += std::string("Server=") + server + "\r\n";
    text += "[Outros]\r\n" + outros + "[Firebird]\r\n" + firebird;
    return text;
}

const QString kDefaultPath = QStringLiteral("C:\\SistemaVORN\\");

const Case kCases[] = {
    {"no Conexao.ini", std::nullopt, "", "", false, QStringLiteral("127.0.0.1"), QString(),
     kDefaultPath, 3050, fcNull, QString(), QString(), QString()},
    {"TipoCon 4 moves the server to this machine and writes it back", "192.168.0.5",
     "TipoCon=4\r\nUserMulti=0012\r\n", "", true, QStringLiteral("127.0.0.1"),
     QStringLiteral("0012"), kDefaultPath, 3050, fcServidorMulti,
     QStringLiteral("/opt/SistemaVORN/Dados/0012/KALUNDRA.FDB"),
     QStringLiteral("Servidor local Multi"), QStringLiteral("127.0.0.1")},
    {"127.0.0.10 is not inside 127.0.0.1", "127.0.0.10", "TipoCon=1\r\n", "", true,
     QStringLiteral("127.0.0.1"), QString(), kDefaultPath, 3050, fcServidor,
     QStringLiteral("/opt/SistemaVORN/Dados/KALUNDRA.FDB"), QStringLiteral("Servidor local"),
     QStringLiteral("127.0.0.1")},
    {"127.0.0 is inside 127.0.0.1 and stays", "127.0.0", "TipoCon=1\r\n", "", true,
     QStringLiteral("127.0.0"), QString(), kDefaultPath, 3050, fcServidor,
     QStringLiteral("/opt/SistemaVORN/Dados/KALUNDRA.FDB"), QStringLiteral("Servidor local"),
     QStringLiteral("127.0.0")},
    {"no Server key: 127.0.0.1, nothing written", nullptr, "TipoCon=1\r\n", "", true,
     QStringLiteral("127.0.0.1"), QString(), kDefaultPath, 3050, fcServidor,
     QStringLiteral("/opt/SistemaVORN/Dados/KALUNDRA.FDB"), QStringLiteral("Servidor local"),
     QString()},
    {"an empty server of a server kind becomes 127.0.0.1", "", "TipoCon=1\r\n", "", true,
     QStringLiteral("127.0.0.1"), QString(), kDefaultPath, 3050, fcServidor,
     QStringLiteral("/opt/SistemaVORN/Dados/KALUNDRA.FDB"), QStringLiteral("Servidor local"),
     QStringLiteral("127.0.0.1")},
    {"TipoCon 2 keeps its server and the server's backslashes", "192.168.0.5", "TipoCon=2\r\n", "",
     true, QStringLiteral("192.168.0.5"), QString(), kDefaultPath, 3050, fcEstLocal,
     QStringLiteral("C:\\SistemaVORN\\Dados\\KALUNDRA.FDB"),
     QStringLiteral("Estação Local - Servidor: 192.168.0.5"), QStringLiteral("192.168.0.5")},
    {"TipoCon 3", "vorn.example.com.br", "TipoCon=3\r\nPathServer=E:\\VORN\\\r\n", "", true,
     QStringLiteral("vorn.example.com.br"), QString(), QStringLiteral("E:\\VORN\\"), 3050, fcEstWeb,
     QStringLiteral("E:\\VORN\\Dados\\KALUNDRA.FDB"),
     QStringLiteral("Estação Web - Servidor: vorn.example.com.br"),
     QStringLiteral("vorn.example.com.br")},
    {"TipoCon 5 with UserMulti 0012", "10.1.1.1",
     "TipoCon=5\r\nPathServer=D:\\Sistema\\\r\nUserMulti=0012\r\n", "", true,
     QStringLiteral("10.1.1.1"), QStringLiteral("0012"), QStringLiteral("D:\\Sistema\\"), 3050,
     fcEstWebMulti, QStringLiteral("D:\\Sistema\\Dados\\0012\\KALUNDRA.FDB"),
     QStringLiteral("Est. Web Multi - Servidor: 10.1.1.1"), QStringLiteral("10.1.1.1")},
    {"TipoCon 6 ends the server folder with a slash", "10.1.1.2",
     "TipoCon=6\r\nPathServer=/srv/sistema\\\r\nUserMulti=7\r\n", "", true,
     QStringLiteral("10.1.1.2"), QStringLiteral("7"), QStringLiteral("/srv/sistema/"), 3050,
     fcEstComServerLinuxMulti, QStringLiteral("/srv/sistema/Dados/7/KALUNDRA.FDB"),
     QStringLiteral("Estação Servidor Linux: 10.1.1.2"), QStringLiteral("10.1.1.2")},
    {"TipoCon 6 replaces the last character whatever it is", "10.1.1.2",
     "TipoCon=6\r\nPathServer=/srv/sistema\r\nUserMulti=7\r\n", "", true,
     QStringLiteral("10.1.1.2"), QStringLiteral("7"), QStringLiteral("/srv/sistem/"), 3050,
     fcEstComServerLinuxMulti, QStringLiteral("/srv/sistem/Dados/7/KALUNDRA.FDB"),
     QStringLiteral("Estação Servidor Linux: 10.1.1.2"), QStringLiteral("10.1.1.2")},
    {"TipoCon 7 and UserMulti 12-A gives subfolder 12", "srv",
     "TipoCon=7\r\nPathServer=C:\\V\\\r\nUserMulti=12-A\r\n", "", true, QStringLiteral("srv"),
     QStringLiteral("12"), QStringLiteral("C:\\V\\"), 3050, fcEstLocalMulti,
     QStringLiteral("C:\\V\\Dados\\12\\KALUNDRA.FDB"),
     QStringLiteral("Est. Local Multi - Servidor: srv"), QStringLiteral("srv")},
    {"kind text 4-Multi", "127.0.0.1", "TipoCon=4-Multi\r\nUserMulti=3\r\n", "", true,
     QStringLiteral("127.0.0.1"), QStringLiteral("3"), kDefaultPath, 3050, fcServidorMulti,
     QStringLiteral("/opt/SistemaVORN/Dados/3/KALUNDRA.FDB"),
     QStringLiteral("Servidor local Multi"), QStringLiteral("127.0.0.1")},
    {"kind text 47", "127.0.0.1", "TipoCon=47\r\nUserMulti=3\r\n", "", true,
     QStringLiteral("127.0.0.1"), QStringLiteral("3"), kDefaultPath, 3050, fcServidorMulti,
     QStringLiteral("/opt/SistemaVORN/Dados/3/KALUNDRA.FDB"),
     QStringLiteral("Servidor local Multi"), QStringLiteral("127.0.0.1")},
    {"Porta 0", "h", "TipoCon=2\r\n", "Porta=0\r\n", true, QStringLiteral("h"), QString(),
     kDefaultPath, 3050, fcEstLocal, QStringLiteral("C:\\SistemaVORN\\Dados\\KALUNDRA.FDB"),
     QStringLiteral("Estação Local - Servidor: h"), QStringLiteral("h")},
    {"Porta abc", "h", "TipoCon=2\r\n", "Porta=abc\r\n", true, QStringLiteral("h"), QString(),
     kDefaultPath, 3050, fcEstLocal, QStringLiteral("C:\\SistemaVORN\\Dados\\KALUNDRA.FDB"),
     QStringLiteral("Estação Local - Servidor: h"), QStringLiteral("h")},
    {"Porta 3051", "h", "TipoCon=2\r\n", "Porta=3051\r\n", true, QStringLiteral("h"), QString(),
     kDefaultPath, 3051, fcEstLocal, QStringLiteral("C:\\SistemaVORN\\Dados\\KALUNDRA.FDB"),
     QStringLiteral("Estação Local - Servidor: h"), QStringLiteral("h")},
    {"TipoCon 9", "h", "TipoCon=9\r\n", "", false, QStringLiteral("h"), QString(), kDefaultPath,
     3050, fcNull, QString(), QString(), QStringLiteral("h")},
    {"TipoCon 0", "h", "TipoCon=0\r\n", "", false, QStringLiteral("h"), QString(), kDefaultPath,
     3050, fcNull, QString(), QString(), QStringLiteral("h")},
    {"TipoCon not a digit", "h", "TipoCon=Servidor\r\n", "", false, QStringLiteral("h"), QString(),
     kDefaultPath, 3050, fcNull, QString(), QString(), QStringLiteral("h")},
    {"TipoCon missing", "h", "UserMulti=1\r\n", "", false, QStringLiteral("h"), QStringLiteral("1"),
     kDefaultPath, 3050, fcNull, QString(), QString(), QStringLiteral("h")},
};

TEST(ConexaoBanco, ConexaoIniCasesGiveTheSettingsParametersAndTexts) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString pasta = QString::fromStdString(dir.dir());
        if (c.iniServer)
            writeFile(dir / "Conexao.ini", ini(*c.iniServer, c.outros, c.firebird));

        vorn::platform::MessageBoxRecorder boxes;
        TVarConexao vcon;
        EXPECT_EQ(LeConexaoIni(vcon, pasta, QStringLiteral("Conexao.ini")), c.usable);

        EXPECT_EQ(vcon.FServer, c.server);
        EXPECT_EQ(vcon.FUserMulti, c.userMulti);
        EXPECT_EQ(vcon.FPathServer, c.pathServer);
        EXPECT_EQ(vcon.FPorta, c.porta);
        EXPECT_EQ(vcon.FTipoCon, c.tipo);
        EXPECT_EQ(vcon.FUserFB, QStringLiteral("VORNMASTER"));
        EXPECT_EQ(vcon.FPassUserFB, QStringLiteral("x47#q802"));

        if (c.usable) {
            EXPECT_TRUE(boxes.shown().empty());
        } else {
            ASSERT_EQ(boxes.shown().size(), 1u);
            EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("Houve um erro"));
            EXPECT_EQ(boxes.shown()[0].text, kErroTipo);
        }

        EXPECT_EQ(vorn::platform::readProfileString(pasta + QStringLiteral("Conexao.ini"),
                                                    QStringLiteral("Params"),
                                                    QStringLiteral("Server"), QString()),
                  c.serverInFile);
        // Nothing but the Server line changes; a missing file is not created.
        const std::string after = c.serverInFile.toStdString();
        if (c.iniServer)
            EXPECT_EQ(
                readFile(dir / "Conexao.ini"),
                ini(c.serverInFile.isEmpty() ? nullptr : after.c_str(), c.outros, c.firebird));
        else
            EXPECT_FALSE(std::filesystem::exists(dir / "Conexao.ini"));

        EXPECT_EQ(TextoTipoConexao(vcon), c.texto);
        EXPECT_EQ(CaminhoBanco(vcon, kDirApp), c.database);

        Connection connection;
        ConfiguraConexao(connection, vcon, kDirApp);
        EXPECT_EQ(connection.param(QStringLiteral("DATABASE")), c.database);
        EXPECT_EQ(connection.hasParam(QStringLiteral("DATABASE")), !c.database.isEmpty());
        EXPECT_EQ(connection.param(QStringLiteral("SERVER")), c.server);
        EXPECT_EQ(connection.param(QStringLiteral("PORT")), QString::number(c.porta));
    }
}

TEST(ConexaoBanco, ConfiguraConexaoSetsTheFixedParametersAndReplacesEarlierValues) {
    TVarConexao vcon;
    vcon.FServer = QStringLiteral("192.168.0.5");
    vcon.FUserFB = QStringLiteral("VORNMASTER");
    vcon.FPassUserFB = QStringLiteral("x47#q802");
    vcon.FPathServer = QStringLiteral("C:\\SistemaVORN\\");
    vcon.FPorta = 3051;
    vcon.FTipoCon = fcEstLocal;

    Connection connection;
    // Values set earlier under other spellings are replaced, not added.
    connection.setParam(QStringLiteral("user_name"), QStringLiteral("SYSDBA"));
    connection.setParam(QStringLiteral("Server"), QStringLiteral("10.0.0.1"));
    connection.setParam(QStringLiteral("CharacterSet"), QStringLiteral("WIN1252"));
    connection.setAutoCommit(true);

    ConfiguraConexao(connection, vcon, kDirApp);

    const std::pair<const char*, const char*> expected[] = {
        {"DriverID", "FB"},        {"CharacterSet", "WIN1252"},
        {"PageSize", "8192"},      {"USER_NAME", "VORNMASTER"},
        {"PASSWORD", "x47#q802"},  {"ROLE", "RDB$ADMIN"},
        {"SERVER", "192.168.0.5"}, {"PORT", "3051"},
        {"PROTOCOL", "ipTCPIP"},   {"DATABASE", "C:\\SistemaVORN\\Dados\\KALUNDRA.FDB"},
    };
    for (const auto& [name, value] : expected) {
        SCOPED_TRACE(name);
        EXPECT_EQ(connection.param(QLatin1String(name)), QLatin1String(value));
    }
    EXPECT_EQ(connection.params().size(), std::size(expected));
    EXPECT_EQ(connection.vendorLibrary(), QStringLiteral("/opt/SistemaVORN/libfbclient.so.2"));
    EXPECT_TRUE(connection.autoReconnect());
    EXPECT_FALSE(connection.autoCommit());
    EXPECT_EQ(connection.isolation(), vorn::data::Isolation::ReadCommitted);
    EXPECT_FALSE(connection.connected());
}

TEST(ConexaoBanco, CodigoParaFormaConexaoGivesTheOrdinalOrFcNull) {
    const std::pair<int, TFormaConexao> cases[] = {
        {0, fcNull},
        {1, fcServidor},
        {2, fcEstLocal},
        {3, fcEstWeb},
        {4, fcServidorMulti},
        {5, fcEstWebMulti},
        {6, fcEstComServerLinuxMulti},
        {7, fcEstLocalMulti},
        {8, fcNull},
        {-1, fcNull},
        {255, fcNull},
        {256 + 1, fcNull},
    };
    for (const auto& [codigo, forma] : cases) {
        SCOPED_TRACE(codigo);
        EXPECT_EQ(CodigoParaFormaConexao(codigo), forma);
    }
}

TEST(ConexaoBanco, AFailedWriteBackPassesToTheCaller) {
    TempDir dir;
    writeFile(dir / "Conexao.ini", ini("192.168.0.5", "TipoCon=1\r\n"));
    std::filesystem::permissions(dir / "Conexao.ini", std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::group_read);
    TVarConexao vcon;
    EXPECT_THROW(
        LeConexaoIni(vcon, QString::fromStdString(dir.dir()), QStringLiteral("Conexao.ini")),
        vorn::platform::ProfileError);
    EXPECT_EQ(readFile(dir / "Conexao.ini"), ini("192.168.0.5", "TipoCon=1\r\n"));
}

// The whole way from a Conexao.ini in the program folder to rows of the real server: kind 1
// finds the database in the program folder's Dados folder.
TEST(ConexaoBanco, ServerKindReachesTheDatabaseInTheProgramFolder) {
    const auto& env = vorn::test::firebirdEnv();
    TempDir dir;
    std::filesystem::create_directories(dir / "Dados");
    vorn::test::createSharedDatabase((dir / "Dados" / "KALUNDRA.FDB").string(), "fixture");
    writeFile(dir / "Conexao.ini",
              ini("localhost", "TipoCon=1\r\n", "Porta=" + std::to_string(env.port) + "\r\n"));

    const QString dirApp = QString::fromStdString(dir.dir());
    TVarConexao vcon;
    ASSERT_TRUE(LeConexaoIni(vcon, dirApp, QStringLiteral("Conexao.ini")));
    Connection connection;
    ConfiguraConexao(connection, vcon, dirApp);
    vorn::data::Query query(connection);
    vorn::data::AbreConsulta(query,
                             QStringLiteral("SELECT NOME_CURTO FROM DIVERSOS WHERE FILIAL=3"));
    EXPECT_EQ(query.asQString("NOME_CURTO"), QStringLiteral("LOJA PRAÇA"));
    connection.close();
}

} // namespace
