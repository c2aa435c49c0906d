#include "common/FtpDownload.h"

#include <QSaveFile>
#include <QUrl>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace vorn::common {

namespace {

void iniciaCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct LiberaCurl {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};

size_t grava(char* dados, size_t tamanho, size_t quantos, void* destino) {
    auto* arquivo = static_cast<QSaveFile*>(destino);
    const std::size_t total = tamanho * quantos;
    const auto bytes = static_cast<qint64>(total);
    return arquivo->write(dados, bytes) == bytes ? tamanho * quantos : 0;
}

// "host", "host:port", "[v6]" or "[v6]:port"; a bare IPv6 address keeps the default port.
void separaPorta(const QString& texto, QString& host, std::uint16_t& porta) {
    host = texto.trimmed();
    if (host.startsWith(u'[')) {
        const qsizetype fecha = host.indexOf(u']');
        if (fecha > 0 && host.mid(fecha + 1).startsWith(u':')) {
            bool ok = false;
            const uint p = host.mid(fecha + 2).toUInt(&ok);
            if (ok && p > 0 && p <= 65535)
                porta = static_cast<std::uint16_t>(p);
            host = host.left(fecha + 1);
        }
        return;
    }
    if (host.count(u':') == 1) {
        const qsizetype dois = host.indexOf(u':');
        bool ok = false;
        const uint p = host.mid(dois + 1).toUInt(&ok);
        if (ok && p > 0 && p <= 65535)
            porta = static_cast<std::uint16_t>(p);
        host = host.left(dois);
    } else if (host.count(u':') > 1) {
        host = u'[' + host + u']';
    }
}

} // namespace

void baixaArquivoFTP(const PedidoFTP& pedido, const QString& destino) {
    const auto falha = [&](const QString& motivo) {
        return std::runtime_error(QStringLiteral("Não foi possível baixar o arquivo %1 de %2 para "
                                                 "%3: %4")
                                      .arg(pedido.arquivoRemoto, pedido.host, destino, motivo)
                                      .toStdString());
    };
    QString host;
    std::uint16_t porta = pedido.porta;
    separaPorta(pedido.host, host, porta);
    if (host.isEmpty())
        throw falha(QStringLiteral("servidor não informado"));
    QString caminho = pedido.arquivoRemoto;
    if (caminho.isEmpty() || caminho.endsWith(u'/'))
        throw falha(QStringLiteral("arquivo remoto não informado"));
    if (caminho.startsWith(u'/'))
        caminho.remove(0, 1);

    // Every path segment percent-encoded, so blanks, "#", "?" and the like stay part of the name.
    QStringList partes = caminho.split(u'/');
    for (QString& parte : partes)
        parte = QString::fromLatin1(QUrl::toPercentEncoding(parte));
    const QByteArray url =
        QStringLiteral("ftp://%1:%2/%3").arg(host).arg(porta).arg(partes.join(u'/')).toUtf8();

    iniciaCurl();
    const std::unique_ptr<CURL, LiberaCurl> curl(curl_easy_init());
    if (!curl)
        throw falha(QStringLiteral("falha ao iniciar a biblioteca de transferência"));

    QSaveFile arquivo(destino);
    if (!arquivo.open(QIODevice::WriteOnly))
        throw falha(arquivo.errorString());

    const QByteArray usuario = pedido.usuario.toUtf8();
    const QByteArray senha = pedido.senha.toUtf8();
    char erro[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(c, CURLOPT_USERNAME, usuario.constData());
    curl_easy_setopt(c, CURLOPT_PASSWORD, senha.constData());
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &grava);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &arquivo);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, erro);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, 60L);
    // A transfer that stalls (under one byte a second for a minute) ends instead of blocking the
    // caller for ever; a slow but moving one runs to its end.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);

    const CURLcode resultado = curl_easy_perform(c);
    if (resultado != CURLE_OK) {
        arquivo.cancelWriting();
        const QString texto = erro[0] != '\0' ? QString::fromUtf8(erro)
                                              : QString::fromUtf8(curl_easy_strerror(resultado));
        throw falha(QStringLiteral("%1 (curl %2)").arg(texto).arg(static_cast<int>(resultado)));
    }
    if (!arquivo.commit())
        throw falha(arquivo.errorString());
}

} // namespace vorn::common
