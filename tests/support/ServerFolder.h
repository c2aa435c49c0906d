#pragma once

// A temporary program folder for the server window: Conexao.ini pointing at a fresh copy of the
// fixture database on the tests' Firebird server, the terminal library's settings on a free
// loopback port, and HOME / XDG folders of its own so the autostart entry lands inside it.

#include "support/FirebirdTestEnv.h"
#include "support/FreePort.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include "platform/DeveloperMarker.h"

#include <QString>
#include <memory>
#include <string>

namespace vorn::test {

class ServerFolder {
public:
    // `database`: create Dados/KALUNDRA.FDB from the fixture; false leaves it to the test.
    explicit ServerFolder(bool database = true);

    const TempDir& dir() const { return dir_; }
    QString programFile() const;
    QString programDir() const; // ends in "/"
    std::uint16_t terminalPort() const { return terminalPort_; }
    std::string autostartEntry() const;

    // Conexao.ini of connection kind 1 (database in the program folder's Dados/).
    void writeConexao(std::uint16_t firebirdPort);
    // ZedorErurav.ini with a record sealed for the codes (IncluiUnVenda as given).
    void writeSettings(int filial, int tabela, bool incluiUnVenda = true);
    void writeTerminalSettings(const std::string& extra = {});

private:
    TempDir dir_;
    std::uint16_t terminalPort_;
    std::unique_ptr<ScopedEnv> home_, config_, data_, runtime_, libraryIni_;
    std::unique_ptr<platform::ScopedDeveloperMarkerFile> marker_;
};

} // namespace vorn::test
