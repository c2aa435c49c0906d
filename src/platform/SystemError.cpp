#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

namespace vorn::platform {

QString systemErrorText(int code) {
    switch (code) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Acesso negado.");
    case EROFS:
        return QStringLiteral("O sistema de arquivos só permite leitura.");
    case ENOENT:
        return QStringLiteral("O arquivo ou a pasta não existe.");
    case ENOTDIR:
        return QStringLiteral("Uma parte do caminho não é uma pasta.");
    case ELOOP:
        return QStringLiteral("O caminho forma um laço de links simbólicos.");
    case EISDIR:
        return QStringLiteral("O caminho é uma pasta, não um arquivo.");
    case ENOSPC:
        return QStringLiteral("Não há espaço livre no disco.");
    case EDQUOT:
        return QStringLiteral("A cota de disco do usuário acabou.");
    case ENAMETOOLONG:
        return QStringLiteral("O nome do arquivo é longo demais.");
    case EIO:
        return QStringLiteral("Erro de entrada e saída no disco.");
    default:
        return QString::fromLocal8Bit(std::strerror(code)) + QLatin1Char('.');
    }
}

} // namespace vorn::platform
