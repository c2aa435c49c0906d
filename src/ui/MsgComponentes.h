#pragma once

// The painted parts of the message dialog: a panel with a vertical gradient and a centred caption,
// and the flat image button with a rounded face.

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QWidget>
#include <cstdint>

namespace vorn::ui {

class TPainelGradiente : public QWidget {
public:
    explicit TPainelGradiente(QWidget* parent);
    void DefineGradiente(const QColor& inicio, const QColor& fim);
    void DefineLegenda(const QString& legenda);
    void DefineCorLegenda(const QColor& cor);
    QString Legenda() const { return legenda_; }
    QColor CorLegenda() const { return corLegenda_; }
    QColor Inicio() const { return inicio_; }
    QColor Fim() const { return fim_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor inicio_{Qt::black};
    QColor fim_{Qt::black};
    QString legenda_;
    QColor corLegenda_{Qt::white};
};

// 109 x 28, a 105 x 25 rounded face of the chosen colour, caption in yellow Tahoma 9 pt; pressed,
// the face moves 2 pixels down and right. Never takes the focus.
class TBotaoImagem : public QAbstractButton {
public:
    TBotaoImagem(QWidget* parent, const std::int32_t* imagemMouseOver);
    // 1: reddish brown, 2: olive.
    void DefineImagem(int imagem) {
        imagem_ = imagem;
        update();
    }
    int Imagem() const { return imagem_; }
    QColor CorFace() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    const std::int32_t* imagemMouseOver_;
    int imagem_ = 1;
    bool sobre_ = false;
};

} // namespace vorn::ui
