// vorn-dados: builds the sealed branch/price-table record of ZedorErurav.ini for a technician's
// set-up (and the demo), or reads one back.
//   vorn-dados FILIAL TABELA    prints the sealed text for [Config] Dados=
//   vorn-dados --open TEXT      prints the branch and table codes a sealed text holds

#include "common/SealedRecord.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>

namespace {

int codigo(const char* text) {
    bool ok = false;
    const int value = QString::fromLocal8Bit(text).toInt(&ok);
    return ok && value >= 1 && value <= 999 ? value : 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--open") == 0) {
        const QString plain = vorn::common::AbreRegistro(QString::fromLatin1(argv[2]));
        if (plain.isEmpty()) {
            std::fprintf(stderr, "vorn-dados: the text is not a sealed record of this system\n");
            return 1;
        }
        const auto codes = vorn::common::LeCodigosRegistro(plain);
        std::printf("filial %d tabela %d\n", codes.filial, codes.tabela);
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: vorn-dados FILIAL TABELA | vorn-dados --open TEXT\n");
        return 2;
    }
    const int filial = codigo(argv[1]);
    const int tabela = codigo(argv[2]);
    if (filial == 0 || tabela == 0) {
        std::fprintf(stderr, "vorn-dados: branch and table codes go from 1 to 999\n");
        return 2;
    }
    const QString sealed =
        vorn::common::SelaRegistro(vorn::common::MontaRegistroFilialTabela(filial, tabela));
    if (sealed.isEmpty()) {
        std::fprintf(stderr,
                     "vorn-dados: the record could not be sealed (OpenSSL legacy provider)\n");
        return 1;
    }
    std::printf("%s\n", qPrintable(sealed));
    return 0;
}
