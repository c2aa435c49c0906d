#pragma once

// The server window's page control: tabs 23 pixels high, each drawn as a vertical gradient; the
// active tab light teal with navy text, the others from dark navy to teal with white text; a tab
// under the mouse lights up.

#include <QColor>
#include <QTabBar>
#include <QTabWidget>

namespace vorn::ui {

struct CoresAba {
    QColor inicio; // top
    QColor fim;    // bottom
    QColor texto;
    friend bool operator==(const CoresAba&, const CoresAba&) = default;
};

inline constexpr int kAlturaAba = 23;

// The colours of a tab: active or not, under the mouse or not.
CoresAba CoresDaAba(bool ativa, bool sobMouse);

class TAbasGradiente : public QTabBar {
    Q_OBJECT
public:
    explicit TAbasGradiente(QWidget* parent);
    // The tab under the mouse, -1 for none.
    int AbaSobMouse() const { return sobMouse_; }

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int sobMouse_ = -1;
};

// A QTabWidget whose tab bar is a TAbasGradiente (in the window's "Tahoma" font).
class TPaginasGradiente : public QTabWidget {
    Q_OBJECT
public:
    explicit TPaginasGradiente(QWidget* parent);
    TAbasGradiente* Abas() const { return abas_; }

private:
    TAbasGradiente* abas_;
};

} // namespace vorn::ui
