#include "support/ServerFolder.h"

#include "common/SealedRecord.h"

#include <filesystem>

namespace vorn::test {

ServerFolder::ServerFolder(bool database) : terminalPort_(freeTcpPort()) {
    std::filesystem::create_directories(dir_ / "home");
    std::filesystem::create_directories(dir_ / "runtime");
    std::filesystem::create_directories(dir_ / "Dados");
    home_ = std::make_unique<ScopedEnv>("HOME", (dir_ / "home").string());
    config_ = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", (dir_ / "config").string());
    data_ = std::make_unique<ScopedEnv>("XDG_DATA_HOME", (dir_ / "data").string());
    runtime_ = std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", (dir_ / "runtime").string());
    libraryIni_ =
        std::make_unique<ScopedEnv>("VORN_SC501GER_INI", (dir_ / "sc501ger.ini").string());
    marker_ = std::make_unique<platform::ScopedDeveloperMarkerFile>(
        QString::fromStdString((dir_ / "no-marker.ini").string()));
    writeTerminalSettings();
    if (database) {
        createTestDatabase((dir_ / "Dados" / "KALUNDRA.FDB").string());
        writeConexao(firebirdTestEnv().port);
    }
}

QString ServerFolder::programFile() const {
    return QString::fromStdString((dir_ / "bpvorn").string());
}

QString ServerFolder::programDir() const {
    return QString::fromStdString(dir_.dir());
}

std::string ServerFolder::autostartEntry() const {
    return (dir_ / "config" / "autostart" / "VORN Rarud Erevur.desktop").string();
}

void ServerFolder::writeConexao(std::uint16_t firebirdPort) {
    writeFile(dir_ / "Conexao.ini", "[Params]\r\nServer=127.0.0.1\r\n[Outros]\r\nTipoCon=1\r\n"
                                    "[Firebird]\r\nPorta=" +
                                        std::to_string(firebirdPort) + "\r\n");
}

void ServerFolder::writeSettings(int filial, int tabela, bool incluiUnVenda) {
    const QString sealed = common::SelaRegistro(common::MontaRegistroFilialTabela(filial, tabela));
    writeFile(dir_ / "ZedorErurav.ini", std::string("[Config]\r\nIncluiUnVenda=") +
                                            (incluiUnVenda ? "1" : "0") +
                                            "\r\nDados=" + sealed.toStdString() + "\r\n");
}

void ServerFolder::writeTerminalSettings(const std::string& extra) {
    writeFile(dir_ / "sc501ger.ini", "[Servidor]\r\nPorta=" + std::to_string(terminalPort_) +
                                         "\r\nEndereco=127.0.0.1\r\n" + extra);
}

} // namespace vorn::test
