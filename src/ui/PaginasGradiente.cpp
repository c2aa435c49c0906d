#include "ui/PaginasGradiente.h"

#include "ui/AparenciaPrincipal.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace vorn::ui {

namespace {

constexpr int kMargemAba = 10; // each side of a tab's caption

} // namespace

CoresAba CoresDaAba(bool ativa, bool sobMouse) {
    CoresAba cores = ativa ? CoresAba{QColor(136, 208, 208), QColor(200, 234, 234), kCorMarinho}
                           : CoresAba{QColor(0, 0, 64), QColor(100, 196, 196), Qt::white};
    if (sobMouse) {
        cores.inicio = cores.inicio.lighter(ativa ? 108 : 160);
        cores.fim = cores.fim.lighter(ativa ? 104 : 120);
    }
    return cores;
}

TAbasGradiente::TAbasGradiente(QWidget* parent) : QTabBar(parent) {
    setMouseTracking(true);
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
}

QSize TAbasGradiente::tabSizeHint(int index) const {
    return {fontMetrics().horizontalAdvance(tabText(index)) + 2 * kMargemAba, kAlturaAba};
}

void TAbasGradiente::paintEvent(QPaintEvent*) {
    QPainter pintor(this);
    pintor.setFont(font());
    for (int i = 0; i < count(); ++i) {
        const QRect r = tabRect(i).adjusted(0, 0, -1, 0);
        const bool ativa = i == currentIndex();
        const CoresAba cores = CoresDaAba(ativa, i == sobMouse_);
        // The active tab stands 2 pixels taller, joined to its page.
        const QRect face = ativa ? r : r.adjusted(0, 2, 0, 0);
        QLinearGradient gradiente(face.topLeft(), face.bottomLeft());
        gradiente.setColorAt(0, cores.inicio);
        gradiente.setColorAt(1, cores.fim);
        pintor.fillRect(face, gradiente);
        pintor.setPen(cores.inicio.darker(140));
        pintor.drawLine(face.topLeft(), face.topRight());
        pintor.drawLine(face.topLeft(), face.bottomLeft());
        pintor.drawLine(face.topRight(), face.bottomRight());
        pintor.setPen(cores.texto);
        pintor.drawText(face, Qt::AlignCenter, tabText(i));
    }
}

void TAbasGradiente::mouseMoveEvent(QMouseEvent* event) {
    const int aba = tabAt(event->position().toPoint());
    if (aba != sobMouse_) {
        sobMouse_ = aba;
        update();
    }
    QTabBar::mouseMoveEvent(event);
}

void TAbasGradiente::leaveEvent(QEvent* event) {
    if (sobMouse_ != -1) {
        sobMouse_ = -1;
        update();
    }
    QTabBar::leaveEvent(event);
}

TPaginasGradiente::TPaginasGradiente(QWidget* parent)
    : QTabWidget(parent), abas_(new TAbasGradiente(this)) {
    abas_->setFont(FonteWindows(QStringLiteral("Tahoma"), 11));
    setTabBar(abas_);
}

} // namespace vorn::ui
