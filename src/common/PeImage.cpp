#include "common/PeImage.h"

#include <QFile>
#include <stdexcept>

namespace vorn::common {

namespace {

std::runtime_error falha(const QString& arquivo, const QString& motivo) {
    return std::runtime_error(QStringLiteral("O arquivo %1 não pôde ser lido como imagem PE: %2")
                                  .arg(arquivo, motivo)
                                  .toStdString());
}

std::uint32_t le32(const QByteArray& b, qsizetype at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

} // namespace

std::uint16_t maquinaImagemPE(const QString& arquivo) {
    QFile file(arquivo);
    if (arquivo.isEmpty())
        throw falha(arquivo, QStringLiteral("nome de arquivo vazio"));
    if (!file.open(QIODevice::ReadOnly))
        throw falha(arquivo, file.errorString());
    const QByteArray dos = file.read(0x40);
    if (dos.size() < 0x40 || !dos.startsWith("MZ"))
        throw falha(arquivo, QStringLiteral("falta o cabeçalho MZ"));
    const std::uint32_t inicioPE = le32(dos, 0x3C);
    if (inicioPE > static_cast<std::uint64_t>(file.size()) || !file.seek(inicioPE))
        throw falha(arquivo, QStringLiteral("o cabeçalho PE fica fora do arquivo"));
    const QByteArray pe = file.read(6);
    if (pe.size() < 6 || !pe.startsWith(QByteArray("PE\0\0", 4)))
        throw falha(arquivo, QStringLiteral("falta a assinatura PE"));
    return static_cast<std::uint16_t>(static_cast<unsigned char>(pe[4]) |
                                      (static_cast<unsigned char>(pe[5]) << 8));
}

} // namespace vorn::common
