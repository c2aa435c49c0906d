#include "ui/Progressos.h"

#include "ui/EventGuard.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>

namespace vorn::ui {

namespace {

class Gradiente : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter pintor(this);
        QLinearGradient gradiente(0, 0, 0, height());
        gradiente.setColorAt(0, QColor(53, 0, 53));
        gradiente.setColorAt(1, QColor(0, 0, 64));
        pintor.fillRect(rect(), gradiente);
    }
};

} // namespace

TFProgressos::TFProgressos(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("FProgressos"));
    setFixedSize(344, 114);
    setCursor(Qt::WaitCursor);
    QPalette fundo = palette();
    fundo.setColor(QPalette::Window, QColor(197, 220, 180));
    setPalette(fundo);
    setAutoFillBackground(true);
    QFont base(QStringLiteral("MS Sans Serif"));
    base.setPointSize(8);
    setFont(base);

    JvGradient1 = new Gradiente(this);
    JvGradient1->setGeometry(0, 0, 344, 94);

    LabelMensagem = new QLabel(this);
    LabelMensagem->setGeometry(7, 9, 333, 112);
    LabelMensagem->setWordWrap(true);
    LabelMensagem->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSize(10);
    LabelMensagem->setFont(verdana);
    QPalette amarelo = LabelMensagem->palette();
    amarelo.setColor(QPalette::WindowText, Qt::yellow);
    LabelMensagem->setPalette(amarelo);
    LabelMensagem->setCursor(Qt::WaitCursor);

    BarraProgresso = new QProgressBar(this);
    BarraProgresso->setGeometry(0, 94, 344, 20);
    BarraProgresso->setRange(0, 100);
    BarraProgresso->setValue(0);
    BarraProgresso->setFormat(QStringLiteral("Concluídos...[%p%]"));
    BarraProgresso->setAlignment(Qt::AlignCenter);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    tahoma.setBold(true);
    BarraProgresso->setFont(tahoma);
    BarraProgresso->setStyleSheet(QStringLiteral(
        "QProgressBar { background: rgb(0,0,64); color: white; border: 1px solid green; }"
        "QProgressBar::chunk { background: rgb(72,230,225); }"));
    BarraProgresso->hide();
    LabelMensagem->raise();
    LabelMensagem->clear();
}

QString TFProgressos::MensagemPadrao() {
    return QStringLiteral("\r\n\tProcessamento da solicitação em andamento. \r\n\r\n\tPor favor "
                          "aguarde...");
}

void TFProgressos::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    runGuarded([this] {
        if (LabelMensagem->text().trimmed().isEmpty())
            LabelMensagem->setText(MensagemPadrao());
        if (const QScreen* tela = QGuiApplication::primaryScreen()) {
            const QRect area = tela->geometry();
            move(area.x() + (area.width() - width()) / 2,
                 area.y() + (area.height() - height()) / 2);
        }
    });
}

void TFProgressos::hideEvent(QHideEvent* event) {
    LabelMensagem->clear();
    BarraProgresso->hide();
    QWidget::hideEvent(event);
}

} // namespace vorn::ui
