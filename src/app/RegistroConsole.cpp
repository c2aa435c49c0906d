#include "app/RegistroConsole.h"

#include <cstdio>

namespace vorn::app {

namespace {

QString umaLinha(QString texto) {
    for (QChar& c : texto)
        if (c.unicode() < 32 || c.unicode() == 127)
            c = u' ';
    return texto;
}

} // namespace

QString LinhaConsole(const QDateTime& quando, const QString& origem, const QString& texto) {
    return quando.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u' ' +
           (origem.isEmpty() ? QStringLiteral("-") : umaLinha(origem)) + u' ' + umaLinha(texto);
}

QString TextoEstado(const EstadoServidor& estado) {
    if (!estado.servindo)
        return QStringLiteral("Terminais sem atendimento: ") + estado.motivo;
    QString texto = QStringLiteral("Servindo filial ") + estado.filial +
                    QStringLiteral(", tabela ") + estado.tabela + QStringLiteral(", ") +
                    QString::number(estado.produtos) + QStringLiteral(" produtos em cache");
    if (estado.porta > 0) {
        texto += QStringLiteral(", terminais na porta ") + QString::number(estado.porta);
        if (!estado.endereco.isEmpty())
            texto += QStringLiteral(" (endereço ") + estado.endereco + u')';
    }
    return texto;
}

void EscreveLinhaConsole(const QString& linha) {
    const QByteArray bytes = (linha + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace vorn::app
