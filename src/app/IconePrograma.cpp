#include "app/IconePrograma.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resources of a static library are registered by hand (outside any namespace).
static void registraRecursos() {
    Q_INIT_RESOURCE(icons);
}

namespace vorn::app {

QIcon IconePrograma() {
    registraRecursos();
    QSvgRenderer svg(QStringLiteral(":/icons/vorn-rarud-erevur.svg"));
    QIcon icone;
    if (!svg.isValid())
        return icone;
    for (const int lado : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap imagem(lado, lado);
        imagem.fill(Qt::transparent);
        QPainter pintor(&imagem);
        pintor.setRenderHint(QPainter::Antialiasing);
        svg.render(&pintor);
        pintor.end();
        icone.addPixmap(imagem);
    }
    return icone;
}

} // namespace vorn::app
