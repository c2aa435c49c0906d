#include "ui/GradeVisual.h"

#include "ui/PintaCelulaGrid.h"

#include <QAbstractButton>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygon>
#include <QTableView>
#include <QToolTip>

namespace vorn::ui {

namespace {

// Text inset of a cell and of a title, each side.
constexpr int kMargemTexto = 2;
constexpr int kLarguraIndicador = 12;

int alturaLinha(const QFontMetrics& fonte) {
    return fonte.height() + 4;
}

} // namespace

TTituloGrade::TTituloGrade(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setSectionResizeMode(QHeaderView::Interactive);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TTituloGrade::paintSection(QPainter* pintor, const QRect& rect, int secao) const {
    if (!rect.isValid())
        return;
    pintor->save();
    QLinearGradient gradiente(rect.topLeft(), rect.bottomLeft());
    gradiente.setColorAt(0, kCorTituloInicio);
    gradiente.setColorAt(1, kCorTituloFim);
    pintor->fillRect(rect, gradiente);
    pintor->setPen(kCorCelulaFixa);
    pintor->drawLine(rect.topRight(), rect.bottomRight());
    pintor->drawLine(rect.bottomLeft(), rect.bottomRight());
    pintor->setPen(Qt::white);
    pintor->setFont(font());
    const QString titulo =
        model() != nullptr ? model()->headerData(secao, orientation(), Qt::DisplayRole).toString()
                           : QString();
    pintor->drawText(rect.adjusted(kMargemTexto, 0, -kMargemTexto, 0),
                     static_cast<int>(defaultAlignment()), titulo);
    pintor->restore();
}

QSize TTituloGrade::sectionSizeFromContents(int secao) const {
    const QString titulo =
        model() != nullptr ? model()->headerData(secao, orientation(), Qt::DisplayRole).toString()
                           : QString();
    const QFontMetrics medidas(font());
    return {medidas.horizontalAdvance(titulo) + 2 * kMargemTexto + 2, alturaLinha(medidas)};
}

TIndicadorGrade::TIndicadorGrade(QTableView* grade)
    : QHeaderView(Qt::Vertical, grade), grade_(grade) {
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(false);
    setHighlightSections(false);
}

QSize TIndicadorGrade::sizeHint() const {
    return {kLarguraIndicador, QHeaderView::sizeHint().height()};
}

void TIndicadorGrade::paintSection(QPainter* pintor, const QRect& rect, int secao) const {
    if (!rect.isValid())
        return;
    pintor->save();
    pintor->fillRect(rect, kCorCelulaFixa);
    pintor->setPen(kCorCelulaFixa.darker(150));
    pintor->drawLine(rect.bottomLeft(), rect.bottomRight());
    if (grade_->selectionModel() != nullptr &&
        grade_->selectionModel()->currentIndex().row() == secao) {
        // The current row's arrow, pointing at the row.
        const int meio = rect.center().y();
        const int x = rect.left() + 3;
        pintor->setRenderHint(QPainter::Antialiasing);
        pintor->setPen(Qt::NoPen);
        pintor->setBrush(Qt::white);
        pintor->drawPolygon(
            QPolygon({QPoint(x, meio - 4), QPoint(x + 5, meio), QPoint(x, meio + 4)}));
    }
    pintor->restore();
}

int LarguraColuna(const GridColumn& coluna, const QFontMetrics& dados, const QFontMetrics& titulo,
                  const QLocale& local) {
    int largura = coluna.width > 0
                      ? coluna.width
                      : std::max(coluna.characters, 1) * dados.horizontalAdvance(u'0') + 4;
    largura = std::max(largura, titulo.horizontalAdvance(coluna.title) + 2 * kMargemTexto + 2);
    if (coluna.widest)
        largura = std::max(
            largura, dados.horizontalAdvance(MemTableModel::displayText(*coluna.widest, local)) +
                         2 * kMargemTexto + 2);
    return largura;
}

TPintaGrade* ConfiguraGrade(QTableView* grade, MemTableModel* modelo) {
    grade->setHorizontalHeader(new TTituloGrade(grade));
    grade->setVerticalHeader(new TIndicadorGrade(grade));
    grade->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grade->setSelectionBehavior(QAbstractItemView::SelectRows);
    grade->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grade->setShowGrid(true);
    grade->setGridStyle(Qt::SolidLine);
    grade->setWordWrap(false);
    grade->setAlternatingRowColors(false);
    grade->setCornerButtonEnabled(false);

    // Below the last row the grid shows the tooltip background.
    QPalette paleta = grade->palette();
    paleta.setColor(QPalette::Base, QToolTip::palette().color(QPalette::ToolTipBase));
    grade->setPalette(paleta);
    if (auto* canto = grade->findChild<QAbstractButton*>()) {
        QPalette paletaCanto = canto->palette();
        paletaCanto.setColor(QPalette::Button, kCorCelulaFixa);
        paletaCanto.setColor(QPalette::Window, kCorCelulaFixa);
        canto->setPalette(paletaCanto);
    }

    auto* pinta = new TPintaGrade(grade);
    grade->setItemDelegate(pinta);
    grade->setModel(modelo);
    // The indicator follows the current row.
    QObject::connect(grade->selectionModel(), &QItemSelectionModel::currentRowChanged,
                     grade->verticalHeader()->viewport(),
                     [grade] { grade->verticalHeader()->viewport()->update(); });

    const QFontMetrics dados(grade->font());
    const QFontMetrics titulo(grade->horizontalHeader()->font());
    grade->verticalHeader()->setDefaultSectionSize(alturaLinha(dados));
    grade->verticalHeader()->setMinimumSectionSize(alturaLinha(dados));
    grade->horizontalHeader()->setFixedHeight(alturaLinha(titulo) + 1);
    const auto& colunas = modelo->columns();
    for (size_t i = 0; i < colunas.size(); ++i)
        grade->setColumnWidth(static_cast<int>(i),
                              LarguraColuna(colunas[i], dados, titulo, modelo->locale()));
    return pinta;
}

} // namespace vorn::ui
