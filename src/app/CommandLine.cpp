#include "app/CommandLine.h"

namespace vorn::app {

CommandLine parseCommandLine(const std::vector<std::string_view>& arguments) {
    if (arguments.empty())
        return {};
    const std::string_view first = arguments.front();
    CommandLine result;
    if (first == "-h" || first == "--help")
        result.action = CommandLineAction::Help;
    else if (first == "-V" || first == "--version")
        result.action = CommandLineAction::Version;
    else
        return {CommandLineAction::Invalid, std::string(first)};
    if (arguments.size() > 1)
        return {CommandLineAction::Invalid, std::string(arguments[1])};
    return result;
}

std::string usageText() {
    return "Uso: bpvorn [--help | --version]\n"
           "\n"
           "Servidor Rarud Erevur VORN: responde às consultas de preço dos terminais da loja.\n"
           "Sem argumentos, inicia o servidor: com a janela quando há uma tela, sem ela (só no\n"
           "diário do sistema) quando não há. Um só servidor por sessão de usuário.\n"
           "\n"
           "  -h, --help      mostra esta ajuda e termina\n"
           "  -V, --version   mostra a versão e termina\n"
           "\n"
           "As configurações ficam na pasta do programa: Conexao.ini (banco de dados),\n"
           "ZedorErurav.ini (filial e tabela de preços) e sc501ger.ini (porta dos terminais).\n";
}

std::string versionText() {
    return std::string("bpvorn ") + VORN_VERSION + "\n";
}

std::optional<int> handleCommandLine(int argc, const char* const* argv, std::ostream& out,
                                     std::ostream& err) {
    std::vector<std::string_view> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    const CommandLine line = parseCommandLine(arguments);
    switch (line.action) {
    case CommandLineAction::Run:
        return std::nullopt;
    case CommandLineAction::Help:
        out << usageText() << std::flush;
        return 0;
    case CommandLineAction::Version:
        out << versionText() << std::flush;
        return 0;
    case CommandLineAction::Invalid:
        break;
    }
    err << "bpvorn: argumento não reconhecido: '" << line.offending << "'\n\n"
        << usageText() << std::flush;
    return 2;
}

} // namespace vorn::app
