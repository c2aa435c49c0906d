#pragma once

// Fonts, colours and painted parts of the server window's design.
//
// The design names Windows fonts ("MS Sans Serif", "MS UI Gothic", "Verdana", "Tahoma"). They are
// asked for by name, so a machine that has them (or metric twins registered with fontconfig) uses
// them; elsewhere the platform substitutes a sans-serif family. The window sizes its texts from
// the font actually used, so nothing is cut off with the wider substitutes.

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QWidget>

namespace vorn::ui {

// A font by Windows family name and character height in pixels.
QFont FonteWindows(const QString& familia, int pixels, bool sublinhada = false);

inline const QColor kCorFundoJanela(193, 208, 240);  // Panel2
inline const QColor kCorCabecalho(0, 0, 64);         // Panel1
inline const QColor kCorAviso(228, 235, 148);        // LabelAviso
inline const QColor kCorFundoTemErro(255, 190, 159); // LabelTemErro
inline const QColor kCorMarinho(0, 0, 128);

// A panel with a raised outer and a lowered inner bevel, filled with its palette's window colour.
class TPainelChanfrado : public QWidget {
    Q_OBJECT
public:
    explicit TPainelChanfrado(QWidget* parent);
    // Width of the two bevels together: children start this far inside.
    static constexpr int kBorda = 2;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A horizontal dotted line across the widget.
class TLinhaPontilhada : public QWidget {
    Q_OBJECT
public:
    explicit TLinhaPontilhada(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Fills `widget`'s background with `fundo` and draws its text in `texto`.
void DefineCores(QWidget* widget, const QColor& fundo, const QColor& texto);

} // namespace vorn::ui
