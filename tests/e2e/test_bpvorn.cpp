// End to end: the real bpvorn, headless, in a temporary program folder, against the tests'
// Firebird server, scanned with the real vorn-terminal.

#include "X11Windows.h"
#include "support/FirebirdTestEnv.h"
#include "support/FreePort.h"
#include "support/TempDir.h"
#include "support/VirtualDisplay.h"

#include "common/SealedRecord.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace vorn::test;

namespace {

std::string binDir() {
    return VORN_TEST_BIN_DIR;
}

// A program folder with the server, its library and its settings.
class Installation {
public:
    explicit Installation(bool conexao = true) : port_(freeTcpPort()) {
        namespace fs = std::filesystem;
        fs::create_directories(dir_ / "Dados");
        fs::create_directories(dir_ / "home");
        fs::create_directories(dir_ / "runtime");
        for (const char* file : {"bpvorn", "libsc501ger.so"})
            fs::copy_file(fs::path(binDir()) / file, dir_ / file);
        writeFile(dir_ / "sc501ger.ini",
                  "[Servidor]\r\nPorta=" + std::to_string(port_) + "\r\nEndereco=127.0.0.1\r\n");
        if (conexao) {
            createTestDatabase((dir_ / "Dados" / "KALUNDRA.FDB").string());
            writeFile(dir_ / "Conexao.ini",
                      "[Params]\r\nServer=127.0.0.1\r\n[Outros]\r\nTipoCon=1\r\n[Firebird]\r\n"
                      "Porta=" +
                          std::to_string(firebirdTestEnv().port) + "\r\n");
        }
    }
    ~Installation() { stop(); }

    void settings(int filial, int tabela, bool unidade) {
        const QString sealed =
            vorn::common::SelaRegistro(vorn::common::MontaRegistroFilialTabela(filial, tabela));
        writeFile(dir_ / "ZedorErurav.ini", std::string("[Config]\r\nIncluiUnVenda=") +
                                                (unidade ? "1" : "0") +
                                                "\r\nDados=" + sealed.toStdString() + "\r\n");
    }

    QProcessEnvironment environment(const QString& lang = "pt_BR.UTF-8") const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& name : env.keys())
            if (name.startsWith("SSH_") || name.startsWith("VORN_") || name.startsWith("LC_") ||
                name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "XRDP_SESSION")
                env.remove(name);
        const QString root = QString::fromStdString(dir_.path().string());
        env.insert("HOME", root + "/home");
        env.insert("XDG_CONFIG_HOME", root + "/home/.config");
        env.insert("XDG_RUNTIME_DIR", root + "/runtime");
        env.insert("LANG", lang);
        return env;
    }

    // Starts bpvorn; waits until its terminal port answers (or it ended). `display`: the X
    // display it shows its window on; none runs it headless.
    void start(const QString& lang = "pt_BR.UTF-8", const QString& display = {}) {
        QProcessEnvironment env = environment(lang);
        if (!display.isEmpty()) {
            env.insert("DISPLAY", display);
            env.insert("QT_QPA_PLATFORM", "xcb");
        }
        server_.setProcessEnvironment(env);
        server_.setProgram(QString::fromStdString((dir_ / "bpvorn").string()));
        server_.start();
        ASSERT_TRUE(server_.waitForStarted(5000));
    }

    bool waitUntilListening(int ms = 20000) {
        for (int waited = 0; waited < ms; waited += 100) {
            if (server_.state() != QProcess::Running)
                return false;
            QProcess probe;
            probe.start(QString::fromStdString(binDir() + "/vorn-terminal"),
                        {"--port", QString::number(port_), "--timeout", "0.2"});
            probe.closeWriteChannel();
            probe.waitForFinished(3000);
            if (probe.exitCode() != 2)
                return true;
            server_.waitForFinished(100);
        }
        return false;
    }

    void stop() {
        if (server_.state() == QProcess::Running) {
            server_.terminate(); // SIGTERM: a clean stop
            if (!server_.waitForFinished(10000)) {
                server_.kill();
                server_.waitForFinished(5000);
            }
        }
    }

    struct Scan {
        int exitCode;
        QStringList lines;
    };
    Scan scan(const QStringList& barcodes, double timeout = 2) const {
        QProcess terminal;
        terminal.start(
            QString::fromStdString(binDir() + "/vorn-terminal"),
            QStringList{"--port", QString::number(port_), "--timeout", QString::number(timeout)} +
                barcodes);
        terminal.closeWriteChannel();
        terminal.waitForFinished(30000);
        const QString out = QString::fromUtf8(terminal.readAllStandardOutput());
        return {terminal.exitCode(), out.split('\n', Qt::SkipEmptyParts)};
    }

    // Waits until the server has written a line containing `text` to standard output (or it
    // ended, or `ms` passed); whether it did. Everything it wrote so far is kept in output().
    bool waitForOutput(const QString& text, int ms = 20000) {
        return waitForOutputUntil([&text](const QString& out) { return out.contains(text); }, ms);
    }
    template <typename Predicate> bool waitForOutputUntil(Predicate done, int ms = 20000) {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            output_ += QString::fromUtf8(server_.readAllStandardOutput());
            if (done(output_))
                return true;
            if (clock.elapsed() >= ms || server_.state() != QProcess::Running)
                return false;
            server_.waitForReadyRead(100);
        }
    }
    const QString& output() const { return output_; }

    QProcess& server() { return server_; }
    const TempDir& dir() const { return dir_; }
    std::uint16_t port() const { return port_; }

private:
    TempDir dir_;
    std::uint16_t port_;
    QProcess server_;
    QString output_;
};

} // namespace

TEST(Bpvorn, AnswersScansUnderBrazilianSettings) {
    Installation inst;
    inst.settings(1, 2, true);
    inst.start("pt_BR.UTF-8");
    ASSERT_TRUE(inst.waitUntilListening()) << inst.server().readAllStandardError().toStdString();

    const auto scan = inst.scan({"7891000100011\r\n", "78910001\n00028", "7891000100097",
                                 "07891000100011", "   ", "7891000100134"});
    EXPECT_EQ(scan.exitCode, 0);
    const QStringList expected = {
        "7891000100011\r\n\tFOUND\tAÇÚCAR CRISTAL 1KG - UN\tR$ 4,99",
        "78910001\n00028\tFOUND\tCAFÉ TORRADO E MOÍDO 500G - PCT\tR$ 18,75",
        "7891000100097\tFOUND\tARROZ INTEGRAL 1KG - UN\tR$ 9,12",
        "07891000100011\tNOTFOUND",
        "   \tNOTFOUND",
        "7891000100134\tFOUND\tÁGUA MINERAL Nº 1 SEM GÁS 500ML - \tR$ 100.000.000.000.000,00",
    };
    ASSERT_EQ(scan.lines.size(), expected.size()) << scan.lines.join("|").toStdString();
    // Headless, the journal shows what it serves and one line per answered scan.
    EXPECT_TRUE(inst.waitForOutputUntil([](const QString& out) {
        return out.count(" - Dados enviados com sucesso ao terminal. ID: ") == 4;
    })) << inst.output().toStdString();
    EXPECT_TRUE(inst.output().contains(
        "Servidor Servindo filial 1 - MATRIZ, tabela 2 - VAREJO, 12 produtos em cache, terminais "
        "na porta " +
        QString::number(inst.port()) + " (endereço 127.0.0.1)\n"))
        << inst.output().toStdString();
    EXPECT_EQ(inst.output().count(" - Dados enviados com sucesso ao terminal. ID: "), 4);
    EXPECT_EQ(inst.output().count(") não localizado na base de dados. ID: "), 2);
    for (qsizetype i = 0; i < expected.size(); ++i) {
        // The simulator prints control characters of the barcode as spaces.
        QString want = expected[i];
        const qsizetype tab = want.indexOf('\t');
        want = want.left(tab).replace('\r', ' ').replace('\n', ' ') + want.mid(tab);
        EXPECT_EQ(scan.lines[i].toStdString(), want.toStdString());
    }

    inst.stop();
    EXPECT_EQ(inst.server().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(inst.server().exitCode(), 0);
}

TEST(Bpvorn, PricesFollowUnitedStatesSettingsAndTheUnitOption) {
    Installation inst;
    inst.settings(1, 2, false);
    inst.start("en_US.UTF-8");
    ASSERT_TRUE(inst.waitUntilListening()) << inst.server().readAllStandardError().toStdString();
    const auto scan = inst.scan({"7891000100011", "7891000100134"});
    EXPECT_EQ(scan.exitCode, 0);
    ASSERT_EQ(scan.lines.size(), 2);
    EXPECT_EQ(scan.lines[0].toStdString(), "7891000100011\tFOUND\tAÇÚCAR CRISTAL 1KG\tR$ 4.99");
    EXPECT_EQ(scan.lines[1].toStdString(),
              "7891000100134\tFOUND\tÁGUA MINERAL Nº 1 SEM GÁS 500ML\tR$ 100,000,000,000,000.00");
}

TEST(Bpvorn, LetterCaseCountsAndLongDescriptionsAreCutAt100Bytes) {
    Installation inst;
    inst.settings(1, 3, true);
    inst.start("pt_BR.UTF-8");
    ASSERT_TRUE(inst.waitUntilListening()) << inst.server().readAllStandardError().toStdString();
    const auto scan = inst.scan({"ABC123xyz", "abc123XYZ", "7891000100165"});
    EXPECT_EQ(scan.exitCode, 0);
    ASSERT_EQ(scan.lines.size(), 3);
    EXPECT_EQ(scan.lines[0].toStdString(),
              "ABC123xyz\tFOUND\tVINHO TINTO IMPORTADO 750ML - GF\tR$ 89,90");
    EXPECT_EQ(scan.lines[1].toStdString(), "abc123XYZ\tNOTFOUND");
    // A description of 100 bytes loses the unit: " - PCT" does not fit.
    EXPECT_EQ(scan.lines[2].toStdString(),
              "7891000100165\tFOUND\tBISCOITO RECHEADO SABOR CHOCOLATE COM AVELÃ EMBALAGEM FAMÍLIA "
              "COM VINTE E QUATRO UNIDADES DE 30G XXX\tR$ 12,35");
}

TEST(Bpvorn, BranchOrTableErrorGivesNoAnswers) {
    Installation inst;
    inst.settings(9, 2, true);
    inst.start();
    // The terminal service never starts and the server's start-up line says why.
    ASSERT_TRUE(inst.waitForOutput("Terminais sem atendimento: a filial 9 não existe na base de "
                                   "dados\n"))
        << inst.output().toStdString();
    EXPECT_EQ(inst.server().state(), QProcess::Running);
    // Nothing listens, the simulator cannot connect.
    const auto scan = inst.scan({"7891000100011"}, 0.5);
    EXPECT_NE(scan.exitCode, 0);
}

TEST(Bpvorn, AHeadlessServerSaysWhyItsTerminalPortIsNotOpen) {
    Installation inst;
    inst.settings(1, 2, true);
    // Something else holds the terminal port.
    struct Blocker {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        ~Blocker() { ::close(fd); }
    } other;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(inst.port());
    ASSERT_EQ(::bind(other.fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(other.fd, 1), 0);
    inst.start();
    const QString porta = QString::number(inst.port());
    ASSERT_TRUE(inst.waitForOutput("Terminais sem atendimento: porta " + porta +
                                   " em 127.0.0.1 em uso ou endereço inválido\n"))
        << inst.output().toStdString();
    // The activity-log rows of the failure came first, each on its own line.
    EXPECT_TRUE(inst.output().contains(" Servidor Falha na ativação do servidor\n"));
    EXPECT_TRUE(inst.output().contains(" Servidor porta " + porta +
                                       " em 127.0.0.1 em uso ou endereço inválido\n"));
}

TEST(Bpvorn, SecondInstanceIsRefusedAndTheFirstKeepsServing) {
    Installation inst;
    inst.start();
    ASSERT_TRUE(inst.waitUntilListening());
    QProcess second;
    second.setProcessEnvironment(inst.environment());
    second.start(QString::fromStdString((inst.dir() / "bpvorn").string()), {});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 0);
    const QString err = QString::fromUtf8(second.readAllStandardError());
    EXPECT_TRUE(err.contains("Ocorrência de erro")) << err.toStdString();
    EXPECT_TRUE(err.contains("O Sistema VORN já está em execução nesta máquina. Não é possível "
                             "abrir o programa em duas instâncias!"))
        << err.toStdString();
    EXPECT_EQ(inst.scan({"7891000100011"}).exitCode, 0);
}

TEST(Bpvorn, MissingConexaoIniEndsWithItsMessage) {
    Installation inst(false);
    inst.start();
    ASSERT_TRUE(inst.server().waitForFinished(15000));
    EXPECT_EQ(inst.server().exitCode(), 0);
    const QString err = QString::fromUtf8(inst.server().readAllStandardError());
    EXPECT_TRUE(err.contains("Houve um erro")) << err.toStdString();
    EXPECT_TRUE(err.contains("Não foi possível estabelecer o tipo da conexão. É provável que o "
                             "arquivo Conexao.ini tenha sido excluído ou alterado."))
        << err.toStdString();
}

TEST(Bpvorn, WindowTitleIsExactlyTheDesignedTextAndCarriesTheIcon) {
    // Read as a window manager reads it: Qt must not append the application's name to the title.
    VirtualDisplay display;
    Installation inst;
    inst.settings(1, 2, true);
    inst.start("pt_BR.UTF-8", display.name());
    ASSERT_TRUE(inst.waitUntilListening()) << inst.server().readAllStandardError().toStdString();
    std::vector<X11Window> windows;
    const auto serverWindow = [&]() -> const X11Window* {
        windows = windowsWithTitles(display.name().toStdString());
        for (const X11Window& w : windows)
            if (w.title.starts_with("Rarud Erevur VORN - Servidor"))
                return &w;
        return nullptr;
    };
    QElapsedTimer clock;
    clock.start();
    const X11Window* window = serverWindow();
    while (window == nullptr && clock.elapsed() < 20000) {
        inst.server().waitForFinished(100);
        window = serverWindow();
    }
    ASSERT_NE(window, nullptr) << "no server window on " << display.name().toStdString();
    EXPECT_EQ(window->title, "Rarud Erevur VORN - Servidor - 2.0");
    EXPECT_TRUE(window->hasIcon);
}
