#pragma once

// The look of the server window's data grids: a title row drawn as a vertical gradient with white
// titles, a narrow row indicator in the fixed-cell colour, the tooltip background below the last
// row, cells painted by TPintaGrade, and column widths that keep titles and dates whole in
// whatever font the platform substitutes.

#include "ui/MemTableModel.h"

#include <QColor>
#include <QFontMetrics>
#include <QHeaderView>

class QTableView;

namespace vorn::ui {

class TPintaGrade;

inline const QColor kCorTituloInicio(98, 176, 255);
inline const QColor kCorTituloFim(0, 64, 128);
inline const QColor kCorCelulaFixa(0, 64, 0);

// The title row: each title cell a gradient from kCorTituloInicio (top) to kCorTituloFim
// (bottom), its title in white, left-aligned, with lines in the fixed-cell colour.
class TTituloGrade : public QHeaderView {
    Q_OBJECT
public:
    explicit TTituloGrade(QWidget* parent);

protected:
    void paintSection(QPainter* pintor, const QRect& rect, int secao) const override;
    QSize sectionSizeFromContents(int secao) const override;
};

// The row indicator: a narrow fixed-colour column with an arrow at the current row.
class TIndicadorGrade : public QHeaderView {
    Q_OBJECT
public:
    explicit TIndicadorGrade(QTableView* grade);

protected:
    void paintSection(QPainter* pintor, const QRect& rect, int secao) const override;
    QSize sizeHint() const override;

private:
    QTableView* grade_;
};

// Width of a column: its design width (or, without one, its display width in characters of "0"
// plus 4), widened where the title or the column's widest value would not show whole.
int LarguraColuna(const GridColumn& coluna, const QFontMetrics& dados, const QFontMetrics& titulo,
                  const QLocale& local);

// Gives `grade` the window's grid look and behaviour (read-only, whole rows, several selected
// rows, clickable titles, resizable columns, lines) and binds it to `modelo` with its column
// widths. Returns the grid's painting delegate (owned by the grid).
TPintaGrade* ConfiguraGrade(QTableView* grade, MemTableModel* modelo);

} // namespace vorn::ui
