#pragma once

// The look of each kind of message dialog: header caption, colours of the message area, its text,
// the header caption, the footer and header gradients, which buttons show, and the button image.

#include "ui/MsgRegras.h"

#include <QColor>
#include <cstdint>

namespace vorn::ui {

struct AparenciaMsg {
    const char* cabecalho;  // header caption
    QColor area;            // message area and dialog background
    QColor texto;           // message text
    QColor legenda;         // header caption colour
    QColor rodapeInicio;    // footer gradient, top
    QColor rodapeFim;       // footer gradient, bottom
    QColor cabecalhoInicio; // header gradient, top
    QColor cabecalhoFim;    // header gradient, bottom
    bool botUm;             // first button (confirmations: yes)
    bool botDois;           // middle button (notes and requests: OK)
    bool botTres;           // third button (confirmations: no)
    int imagem;             // the buttons' image: 1 or 2
};

// The look of `tipo`; an error uses its second colour set when the configured error colour is 2.
AparenciaMsg AparenciaDe(TipoMsg tipo, std::int32_t configCorErro);

} // namespace vorn::ui
