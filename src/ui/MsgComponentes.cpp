#include "ui/MsgComponentes.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vorn::ui {

TPainelGradiente::TPainelGradiente(QWidget* parent) : QWidget(parent) {
    QFont fonte(QStringLiteral("Verdana"));
    fonte.setPointSize(10);
    fonte.setBold(true);
    setFont(fonte);
}

void TPainelGradiente::DefineGradiente(const QColor& inicio, const QColor& fim) {
    inicio_ = inicio;
    fim_ = fim;
    update();
}

void TPainelGradiente::DefineLegenda(const QString& legenda) {
    legenda_ = legenda;
    update();
}

void TPainelGradiente::DefineCorLegenda(const QColor& cor) {
    corLegenda_ = cor;
    update();
}

void TPainelGradiente::paintEvent(QPaintEvent*) {
    QPainter pintor(this);
    QLinearGradient gradiente(0, 0, 0, height());
    gradiente.setColorAt(0, inicio_);
    gradiente.setColorAt(1, fim_);
    pintor.fillRect(rect(), gradiente);
    if (!legenda_.isEmpty()) {
        pintor.setPen(corLegenda_);
        pintor.setFont(font());
        pintor.drawText(rect().adjusted(0, 5, 0, 0), Qt::AlignHCenter | Qt::AlignTop, legenda_);
    }
}

TBotaoImagem::TBotaoImagem(QWidget* parent, const std::int32_t* imagemMouseOver)
    : QAbstractButton(parent), imagemMouseOver_(imagemMouseOver) {
    setFixedSize(109, 28);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    QFont fonte(QStringLiteral("Tahoma"));
    fonte.setPointSize(9);
    setFont(fonte);
}

QColor TBotaoImagem::CorFace() const {
    const int par = imagemMouseOver_ != nullptr ? *imagemMouseOver_ : 0;
    const bool efeito = sobre_ && (par == 1 || par == 2);
    const int imagem = efeito ? par : imagem_;
    if (imagem == 2)
        return efeito ? QColor(173, 190, 57) : QColor(138, 149, 67);
    return efeito ? QColor(163, 121, 121) : QColor(120, 65, 65);
}

void TBotaoImagem::paintEvent(QPaintEvent*) {
    QPainter pintor(this);
    pintor.setRenderHint(QPainter::Antialiasing);
    const int desloca = isDown() ? 2 : 0;
    const QRectF face(desloca + 1.5, desloca + 1.0, 105, 25);
    QPainterPath caminho;
    caminho.addRoundedRect(face, 8, 8);
    pintor.fillPath(caminho, CorFace());
    pintor.setPen(Qt::yellow);
    pintor.setFont(font());
    pintor.drawText(face, Qt::AlignCenter, text());
}

void TBotaoImagem::enterEvent(QEnterEvent* event) {
    sobre_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TBotaoImagem::leaveEvent(QEvent* event) {
    sobre_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace vorn::ui
