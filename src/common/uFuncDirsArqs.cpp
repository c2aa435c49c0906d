#include "common/uFuncDirsArqs.h"

#include "platform/Codepage.h"

#include <QSaveFile>
#include <stdexcept>

namespace vorn::common {

bool TFuncDirArq::GravaArquivoTxt(const QString& VConteudo, const QString& VArq) {
    const auto falha = [&VArq](const QString& motivo) {
        return std::runtime_error(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                                      .arg(VArq, motivo)
                                      .toStdString());
    };
    if (VArq.isEmpty())
        throw falha(QStringLiteral("nome de arquivo vazio"));
    QSaveFile arquivo(VArq);
    if (!arquivo.open(QIODevice::WriteOnly))
        throw falha(arquivo.errorString());
    const QByteArray bytes = platform::toAnsi(VConteudo + QStringLiteral("\r\n"));
    if (arquivo.write(bytes) != bytes.size()) {
        const QString motivo = arquivo.errorString();
        arquivo.cancelWriting();
        throw falha(motivo);
    }
    if (!arquivo.commit())
        throw falha(arquivo.errorString());
    return true;
}

} // namespace vorn::common
