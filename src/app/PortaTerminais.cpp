#include "app/PortaTerminais.h"

#include "terminal/Settings.h"

#include <variant>

namespace vorn::app {

PortaTerminais LePortaTerminais() {
    PortaTerminais porta;
    const auto settings = terminal::loadSettings(terminal::settingsFile());
    if (const auto* erro = std::get_if<std::string>(&settings)) {
        porta.erro = QString::fromLocal8Bit(erro->c_str());
        return porta;
    }
    const auto& s = std::get<terminal::Settings>(settings);
    porta.lida = true;
    porta.porta = s.port;
    porta.endereco = QString::fromStdString(s.address);
    return porta;
}

QString MotivoFalhaTerminais(const PortaTerminais& porta) {
    if (!porta.lida)
        return QStringLiteral("configuração inválida dos terminais: ") + porta.erro;
    return QStringLiteral("porta ") + QString::number(porta.porta) + QStringLiteral(" em ") +
           porta.endereco + QStringLiteral(" em uso ou endereço inválido");
}

} // namespace vorn::app
