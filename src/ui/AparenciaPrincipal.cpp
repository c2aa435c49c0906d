#include "ui/AparenciaPrincipal.h"

#include <QPainter>
#include <qdrawutil.h>

namespace vorn::ui {

QFont FonteWindows(const QString& familia, int pixels, bool sublinhada) {
    QFont fonte(familia);
    fonte.setStyleHint(QFont::SansSerif);
    fonte.setPixelSize(pixels);
    fonte.setUnderline(sublinhada);
    return fonte;
}

void DefineCores(QWidget* widget, const QColor& fundo, const QColor& texto) {
    QPalette paleta = widget->palette();
    paleta.setColor(QPalette::Window, fundo);
    paleta.setColor(widget->backgroundRole(), fundo); // Button for check boxes
    paleta.setColor(QPalette::WindowText, texto);
    paleta.setColor(QPalette::ButtonText, texto);
    paleta.setColor(QPalette::Text, texto);
    widget->setPalette(paleta);
    widget->setAutoFillBackground(true);
}

TPainelChanfrado::TPainelChanfrado(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
}

void TPainelChanfrado::paintEvent(QPaintEvent*) {
    QPainter pintor(this);
    const QPalette& paleta = palette();
    qDrawShadePanel(&pintor, rect(), paleta, false, 1);
    qDrawShadePanel(&pintor, rect().adjusted(1, 1, -1, -1), paleta, true, 1);
}

TLinhaPontilhada::TLinhaPontilhada(QWidget* parent) : QWidget(parent) {
    setFixedHeight(2);
}

void TLinhaPontilhada::paintEvent(QPaintEvent*) {
    QPainter pintor(this);
    QPen caneta(palette().color(QPalette::Dark));
    caneta.setStyle(Qt::DotLine);
    pintor.setPen(caneta);
    pintor.drawLine(0, 0, width() - 1, 0);
    caneta.setColor(palette().color(QPalette::Light));
    pintor.setPen(caneta);
    pintor.drawLine(0, 1, width() - 1, 1);
}

} // namespace vorn::ui
