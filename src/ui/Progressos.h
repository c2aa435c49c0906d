#pragma once

// TFProgressos: a small borderless waiting window with a message and an optional progress bar,
// kept above other windows while a long operation runs. One instance is created hidden at
// start-up; the message dialog hides it whenever a dialog shows. A caller sets LabelMensagem's
// text (optionally), shows BarraProgresso and sets its value as the work advances, shows the
// window and hides it at the end. User-interface thread only.

#include <QWidget>

class QLabel;
class QProgressBar;

namespace vorn::ui {

class TFProgressos : public QWidget {
    Q_OBJECT
public:
    explicit TFProgressos(QWidget* parent = nullptr);

    // The text shown when the window shows with an empty message.
    static QString MensagemPadrao();

    QWidget* JvGradient1;
    QLabel* LabelMensagem;
    QProgressBar* BarraProgresso;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};

} // namespace vorn::ui
