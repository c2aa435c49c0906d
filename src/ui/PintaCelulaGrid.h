#pragma once

// PintaCelulaGrid: how a data cell of the window's grids is painted. Rows alternate light blue
// (odd record numbers) and light yellow (even); selected rows are dark teal with near-white
// text; a cell whose field passes the comparison gets red text. The grids of the server window
// pass no comparison (kind 0), so they only alternate and select.
//
// The decisions (highlight, colours) are free functions; TPintaGrade is the delegate that applies
// them to a grid bound to a MemTableModel. User-interface thread only.

#include "data/Field.h"

#include <QColor>
#include <QString>
#include <QStyledItemDelegate>
#include <cstdint>

class QAbstractItemView;
class QPainter;

namespace vorn::ui {

// Comparison kinds: 0 none, 1 equal, 2 different, 3 less than the comparison value.
inline constexpr std::int32_t kSemDestaque = 0;
inline constexpr std::int32_t kDestacaIgual = 1;
inline constexpr std::int32_t kDestacaDiferente = 2;
inline constexpr std::int32_t kDestacaMenor = 3;

// Whether a field's value is highlighted by the comparison kind. Any kind other than 1, 2 and 3
// never highlights. Values compare as variants do:
//   - numbers (integers, amounts, floating point) by value, dates and times as day counts from
//     30/12/1899 with the time as a fraction, so they also compare with plain numbers;
//   - text with text: equal byte for byte, "less" in the locale's collation;
//   - text with a number or date: the text is read as a number (the locale's decimal separator,
//     else "."); text that is not a number matches no comparison;
//   - null equals only null, differs from everything else and is less than every other value.
bool DestacaCelula(const data::Value& valorCampo, const data::Value& valorComparacao,
                   std::int32_t tipoComparacao);

struct CoresCelula {
    QColor fundo;
    QColor texto;
    friend bool operator==(const CoresCelula&, const CoresCelula&) = default;
};

inline const QColor kCorFundoSelecionado(0, 94, 94);
inline const QColor kCorTextoSelecionado(252, 252, 252);
inline const QColor kCorFundoSelecionadoDestaque(191, 201, 135);
inline const QColor kCorTextoDestaque(245, 10, 16);
inline const QColor kCorFundoImpar(223, 235, 255);
inline const QColor kCorFundoPar(249, 255, 225);

// The colours of a cell: `numeroRegistro` counts from 1 (the first row is odd, light blue).
CoresCelula CoresCelulaGrid(bool selecionada, bool destaque, int numeroRegistro);

// Paints one data cell of a grid (the cell of `index`, the grid's state in `opcao`): fills the cell
// with its colours and draws the value aligned as its column says. The grid's table is the memory
// table behind the index's model. Answers false and paints nothing when that model is not a
// memory table, or its table is closed: the caller keeps its own drawing.
bool PintaCelulaGrid(QPainter* pintor, const QStyleOptionViewItem& opcao, const QModelIndex& index,
                     const QString& nomeCampo, const data::Value& valorComparacao,
                     std::int32_t tipoComparacao);

// The delegate of a grid: every cell goes through PintaCelulaGrid with this delegate's field name,
// comparison value and kind (by default an empty name, an empty text and kind 0).
class TPintaGrade : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TPintaGrade(QAbstractItemView* grade);

    void DefineComparacao(const QString& nomeCampo, const data::Value& valor, std::int32_t tipo);

    void paint(QPainter* pintor, const QStyleOptionViewItem& opcao,
               const QModelIndex& index) const override;

private:
    QAbstractItemView* grade_;
    QString nomeCampo_;
    data::Value valorComparacao_{std::string()};
    std::int32_t tipoComparacao_ = kSemDestaque;
};

} // namespace vorn::ui
