#include "common/CapturaTela.h"

#include "common/uFuncPubl.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <stdexcept>

namespace vorn::common {

namespace {

std::runtime_error falha(const QString& texto) {
    return std::runtime_error(texto.toStdString());
}

} // namespace

void CapturaTela(bool paraClipboard, const QString& arquivo) {
    if (!arquivo.isEmpty() && QFileInfo::exists(arquivo) && !QFile::remove(arquivo)) {
        MensagemErro(QStringLiteral("Não foi possível gerar o print. Parece que o arquivo ") +
                     arquivo + QStringLiteral(" está aberto."));
        return;
    }

    // The whole desktop of the primary screen, from (0, 0), in device pixels.
    QScreen* tela = QGuiApplication::primaryScreen();
    if (tela == nullptr)
        throw falha(QStringLiteral("Não há tela para capturar."));
    const QPixmap quadro = tela->grabWindow(0);
    if (quadro.isNull())
        throw falha(QStringLiteral("A captura da tela não é permitida nesta sessão."));

    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        if (!quadro.toImage().save(&buffer, "JPG", 90))
            throw falha(QStringLiteral("Não foi possível comprimir a captura da tela em JPEG."));
    }

    if (!arquivo.isEmpty()) {
        QFile saida(arquivo);
        if (!saida.open(QIODevice::WriteOnly) || saida.write(jpeg) != jpeg.size() || !saida.flush())
            throw falha(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                            .arg(arquivo, saida.errorString()));
    }
    if (paraClipboard) {
        // The clipboard gets the picture as the JPEG shows it.
        QImage imagem;
        if (!imagem.loadFromData(jpeg, "JPG"))
            throw falha(QStringLiteral("Não foi possível ler a captura da tela comprimida."));
        QGuiApplication::clipboard()->setImage(imagem);
    }
}

} // namespace vorn::common
