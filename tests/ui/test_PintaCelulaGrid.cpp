// The grids' painting: the highlight decision of every comparison kind, the colour table, and the
// colours a real grid paints (read back from its pixels), with its gradient titles, indicator,
// background below the rows, column widths and the closed-table rule; the gradient tabs.

#include "DialogTestSupport.h"

#include "data/MemTable.h"
#include "ui/GradeVisual.h"
#include "ui/MemTableModel.h"
#include "ui/PaginasGradiente.h"
#include "ui/PintaCelulaGrid.h"

#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QTableView>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace vorn;
using namespace vorn::ui;
using data::Value;

namespace {

const QDateTime kMeioDia(QDate(2024, 5, 17), QTime(12, 0));

// ---- The highlight decision

struct CasoDestaque {
    const char* nome;
    Value campo;
    Value comparacao;
    bool igual, diferente, menor;
};

TEST(PintaCelulaGrid, EachComparisonKindDecidesTheHighlight) {
    const CasoDestaque casos[] = {
        {"equal texts", std::string("ARROZ"), std::string("ARROZ"), true, false, false},
        {"texts, field first", std::string("ARROZ"), std::string("FEIJAO"), false, true, true},
        {"texts, field last", std::string("FEIJAO"), std::string("ARROZ"), false, true, false},
        {"texts differing in case", std::string("arroz"), std::string("ARROZ"), false, true, false},
        {"empty text with empty text", std::string(), std::string(), true, false, false},
        {"integer below", std::int64_t{3}, std::int64_t{5}, false, true, true},
        {"integer equal to an amount", std::int64_t{5}, data::Currency{50000}, true, false, false},
        {"amount just above an integer", data::Currency{50001}, std::int64_t{5}, false, true,
         false},
        {"amount below a float", data::Currency{12345}, 1.2346, false, true, true},
        {"huge integers stay exact", std::int64_t{9007199254740993}, std::int64_t{9007199254740992},
         false, true, false},
        {"date before a date and time", QDate(2024, 5, 17), kMeioDia, false, true, true},
        {"date equal to its midnight", QDate(2024, 5, 17),
         QDateTime(QDate(2024, 5, 17), QTime(0, 0)), true, false, false},
        {"date against its day number", QDate(1900, 1, 1), std::int64_t{2}, true, false, false},
        {"numeric text against a number", std::string("12"), std::int64_t{12}, true, false, false},
        {"numeric text below a number", std::string(" 7 "), 7.5, false, true, true},
        {"text that is no number", std::string("ABC"), std::int64_t{1}, false, false, false},
        {"null with null", std::monostate{}, std::monostate{}, true, false, false},
        {"null field", std::monostate{}, std::string(), false, true, true},
        {"null comparison", std::int64_t{0}, std::monostate{}, false, true, false},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        EXPECT_EQ(DestacaCelula(c.campo, c.comparacao, kDestacaIgual), c.igual);
        EXPECT_EQ(DestacaCelula(c.campo, c.comparacao, kDestacaDiferente), c.diferente);
        EXPECT_EQ(DestacaCelula(c.campo, c.comparacao, kDestacaMenor), c.menor);
        // Kind 0 and unknown kinds never highlight, whatever the values.
        for (const std::int32_t tipo : {kSemDestaque, -1, 4, 1000})
            EXPECT_FALSE(DestacaCelula(c.campo, c.comparacao, tipo)) << "kind " << tipo;
    }
}

TEST(PintaCelulaGrid, ColoursBySelectionHighlightAndRecordNumber) {
    const QColor vermelho(245, 10, 16);
    struct Caso {
        bool selecionada, destaque;
        int registro;
        QColor fundo, texto;
    } casos[] = {
        {true, true, 1, QColor(191, 201, 135), vermelho},
        {true, true, 2, QColor(191, 201, 135), vermelho},
        {true, false, 1, QColor(0, 94, 94), QColor(252, 252, 252)},
        {true, false, 2, QColor(0, 94, 94), QColor(252, 252, 252)},
        {false, true, 1, QColor(223, 235, 255), vermelho},
        {false, false, 1, QColor(223, 235, 255), Qt::black},
        {false, false, 3, QColor(223, 235, 255), Qt::black},
        {false, true, 2, QColor(249, 255, 225), vermelho},
        {false, false, 2, QColor(249, 255, 225), Qt::black},
        {false, false, 10, QColor(249, 255, 225), Qt::black},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(testing::Message() << "selected " << c.selecionada << " highlight "
                                        << c.destaque << " record " << c.registro);
        const CoresCelula cores = CoresCelulaGrid(c.selecionada, c.destaque, c.registro);
        EXPECT_EQ(cores.fundo, c.fundo);
        EXPECT_EQ(cores.texto, c.texto);
    }
}

// ---- A real grid, read back from its pixels

bool perto(QColor a, QColor b, int tolerancia = 2) {
    return std::abs(a.red() - b.red()) <= tolerancia &&
           std::abs(a.green() - b.green()) <= tolerancia &&
           std::abs(a.blue() - b.blue()) <= tolerancia;
}

std::string rgb(QColor c) {
    return "(" + std::to_string(c.red()) + ", " + std::to_string(c.green()) + ", " +
           std::to_string(c.blue()) + ")";
}

class GradePintada : public testing::Test {
protected:
    test::PinnedBrazilianLocale locale_;
    data::MemTable tabela_;
    std::unique_ptr<MemTableModel> modelo_;
    QTableView grade_;

    void SetUp() override {
        tabela_.addField("NOME", data::FieldType::Text, 30);
        tabela_.addField("QTD", data::FieldType::Integer);
        tabela_.open();
        const std::pair<const char*, int> linhas[] = {
            {"ARROZ", 7}, {"FEIJAO", 2}, {"SAL", 9}, {"OLEO", 1}};
        for (const auto& [nome, qtd] : linhas) {
            tabela_.append();
            tabela_.setValue("NOME", std::string(nome));
            tabela_.setValue("QTD", std::int64_t{qtd});
            tabela_.post();
        }
        GridColumn nome;
        nome.field = "NOME";
        nome.title = QStringLiteral("Descrição");
        nome.width = 120;
        GridColumn qtd;
        qtd.field = "QTD";
        qtd.title = QStringLiteral("Qtde");
        qtd.width = 60;
        qtd.alignment = Qt::AlignCenter;
        modelo_ = std::make_unique<MemTableModel>(tabela_, std::vector<GridColumn>{nome, qtd});
        ConfiguraGrade(&grade_, modelo_.get());
        grade_.resize(260, 200);
        grade_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grade_));
    }

    QImage celulas() { return grade_.viewport()->grab().toImage(); }

    // A point of the cell's background: its right end, clear of the left-aligned text.
    QColor fundo(const QImage& imagem, int linha, int coluna = 0) {
        const int x = grade_.columnViewportPosition(coluna) + grade_.columnWidth(coluna) - 4;
        const int y = grade_.rowViewportPosition(linha) + 2;
        return imagem.pixelColor(x, y);
    }

    // Whether the cell has a pixel near `cor` (its text).
    bool temTexto(const QImage& imagem, int linha, int coluna, QColor cor) {
        const QRect celula(grade_.columnViewportPosition(coluna), grade_.rowViewportPosition(linha),
                           grade_.columnWidth(coluna) - 1, grade_.rowHeight(linha) - 1);
        for (int y = celula.top(); y <= celula.bottom(); ++y)
            for (int x = celula.left(); x <= celula.right(); ++x)
                if (perto(imagem.pixelColor(x, y), cor, 40))
                    return true;
        return false;
    }
};

TEST_F(GradePintada, RowsAlternateFromLightBlueAndSelectedRowsAreDarkTeal) {
    grade_.selectionModel()->select(modelo_->index(2, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QImage imagem = celulas();
    for (int coluna : {0, 1}) {
        SCOPED_TRACE(coluna);
        EXPECT_EQ(fundo(imagem, 0, coluna), QColor(223, 235, 255)) << rgb(fundo(imagem, 0, coluna));
        EXPECT_EQ(fundo(imagem, 1, coluna), QColor(249, 255, 225)) << rgb(fundo(imagem, 1, coluna));
        EXPECT_EQ(fundo(imagem, 2, coluna), QColor(0, 94, 94)) << rgb(fundo(imagem, 2, coluna));
        EXPECT_EQ(fundo(imagem, 3, coluna), QColor(249, 255, 225)) << rgb(fundo(imagem, 3, coluna));
    }
    EXPECT_TRUE(temTexto(imagem, 2, 0, QColor(252, 252, 252)));
    EXPECT_TRUE(temTexto(imagem, 0, 0, Qt::black));
    EXPECT_FALSE(temTexto(imagem, 0, 0, QColor(245, 10, 16)));

    // Below the last row: the tooltip background.
    const int abaixo = grade_.rowViewportPosition(3) + grade_.rowHeight(3) + 10;
    EXPECT_EQ(imagem.pixelColor(20, abaixo), QToolTip::palette().color(QPalette::ToolTipBase));
}

TEST_F(GradePintada, TheSelectionStaysVisibleWithoutFocusAndCoversEverySelectedRow) {
    for (int linha : {0, 3})
        grade_.selectionModel()->select(modelo_->index(linha, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    grade_.clearFocus();
    QWidget outro;
    outro.show();
    outro.activateWindow();
    const QImage imagem = celulas();
    EXPECT_EQ(fundo(imagem, 0), QColor(0, 94, 94));
    EXPECT_EQ(fundo(imagem, 3), QColor(0, 94, 94));
    EXPECT_EQ(fundo(imagem, 1), QColor(249, 255, 225));
}

TEST_F(GradePintada, AComparisonPaintsMatchingCellsInRed) {
    auto* pinta = qobject_cast<TPintaGrade*>(grade_.itemDelegate());
    ASSERT_NE(pinta, nullptr);
    pinta->DefineComparacao(QStringLiteral("QTD"), std::int64_t{5}, kDestacaMenor);
    grade_.selectionModel()->select(modelo_->index(3, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QImage imagem = celulas();
    const QColor vermelho(245, 10, 16);
    EXPECT_FALSE(temTexto(imagem, 0, 0, vermelho)); // 7
    EXPECT_TRUE(temTexto(imagem, 1, 0, vermelho));  // 2
    EXPECT_TRUE(temTexto(imagem, 1, 1, vermelho));  // every cell of the row
    EXPECT_FALSE(temTexto(imagem, 2, 1, vermelho)); // 9
    EXPECT_EQ(fundo(imagem, 1), QColor(249, 255, 225));
    EXPECT_EQ(fundo(imagem, 3), QColor(191, 201, 135)); // 1, selected
    EXPECT_TRUE(temTexto(imagem, 3, 0, vermelho));

    // A field the table does not have highlights nothing.
    pinta->DefineComparacao(QStringLiteral("NAO_EXISTE"), std::int64_t{5}, kDestacaDiferente);
    const QImage semCampo = celulas();
    for (int linha = 0; linha < 4; ++linha)
        EXPECT_FALSE(temTexto(semCampo, linha, 0, vermelho)) << linha;
}

TEST_F(GradePintada, AClosedTableKeepsTheGridsOwnDrawing) {
    // The grid still holds its rows (nobody refreshed it yet) while the table is closed.
    tabela_.close();
    grade_.viewport()->update();
    const QImage imagem = celulas();
    const QColor base = grade_.palette().color(QPalette::Base);
    for (int linha = 0; linha < 4; ++linha) {
        SCOPED_TRACE(linha);
        const QColor cor = fundo(imagem, linha, 1);
        EXPECT_EQ(cor, base) << rgb(cor);
        EXPECT_NE(cor, QColor(223, 235, 255));
        EXPECT_NE(cor, QColor(249, 255, 225));
        EXPECT_FALSE(temTexto(imagem, linha, 0, Qt::black)); // the closed table shows no values
    }
    QStyleOptionViewItem opcao;
    QImage alvo(10, 10, QImage::Format_RGB32);
    QPainter pintor(&alvo);
    EXPECT_FALSE(PintaCelulaGrid(&pintor, opcao, modelo_->index(0, 0), QString(), std::string(),
                                 kSemDestaque));
}

TEST_F(GradePintada, TitlesAreAWhiteOnBlueGradientBesideAFixedColourIndicator) {
    const QImage titulos = grade_.horizontalHeader()->grab().toImage();
    const int x = grade_.columnWidth(0) - 6; // clear of the title text
    EXPECT_TRUE(perto(titulos.pixelColor(x, 0), QColor(98, 176, 255), 6))
        << rgb(titulos.pixelColor(x, 0));
    const int baixo = titulos.height() - 2;
    EXPECT_TRUE(perto(titulos.pixelColor(x, baixo), QColor(0, 64, 128), 12))
        << rgb(titulos.pixelColor(x, baixo));
    bool branco = false;
    for (int y = 0; y < titulos.height(); ++y)
        for (int xx = 0; xx < grade_.columnWidth(0); ++xx)
            branco = branco || titulos.pixelColor(xx, y) == QColor(Qt::white);
    EXPECT_TRUE(branco) << "the title is drawn in white";

    const QImage indicador = grade_.verticalHeader()->grab().toImage();
    EXPECT_LE(indicador.width(), 14);
    EXPECT_EQ(indicador.pixelColor(1, grade_.rowViewportPosition(1) + 2), QColor(0, 64, 0));
}

TEST_F(GradePintada, ColumnWidthsSurviveRefreshes) {
    EXPECT_EQ(grade_.columnWidth(0), 120);
    EXPECT_EQ(grade_.columnWidth(1), 60);
    EXPECT_EQ(grade_.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    tabela_.emptyTable();
    modelo_->refresh();
    EXPECT_EQ(grade_.columnWidth(0), 120);
    EXPECT_EQ(modelo_->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Descrição");
}

// ---- Column widths

TEST(LarguraColuna, DesignWidthUnlessTitleOrWidestValueNeedMore) {
    const QLocale br(QLocale::Portuguese, QLocale::Brazil);
    QFont fonte(QStringLiteral("MS Sans Serif"));
    fonte.setPixelSize(11);
    const QFontMetrics medidas(fonte);
    const int zero = medidas.horizontalAdvance(u'0');

    GridColumn coluna;
    coluna.title = QStringLiteral("Código");
    coluna.width = 86;
    EXPECT_EQ(LarguraColuna(coluna, medidas, medidas, br), 86);

    coluna.width = 10; // the title does not fit in 10 pixels
    EXPECT_EQ(LarguraColuna(coluna, medidas, medidas, br),
              medidas.horizontalAdvance(coluna.title) + 6);

    coluna.width = 0;
    coluna.title = QStringLiteral("IP");
    coluna.characters = 20;
    EXPECT_EQ(LarguraColuna(coluna, medidas, medidas, br), 20 * zero + 4);

    coluna.title = QStringLiteral("Data/Hora");
    coluna.width = 90;
    coluna.characters = 0;
    coluna.widest = Value(QDateTime(QDate(2000, 12, 28), QTime(23, 58, 58)));
    const int inteira = medidas.horizontalAdvance(QStringLiteral("28/12/2000 23:58:58")) + 6;
    EXPECT_EQ(LarguraColuna(coluna, medidas, medidas, br), std::max(90, inteira));
}

// ---- Regional date and time

TEST(MemTableModelTexto, DatesInShortFormatAndTimesInLongFormatWithoutTimeZone) {
    const QLocale br(QLocale::Portuguese, QLocale::Brazil);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    for (const QLocale& local : {br, us}) {
        SCOPED_TRACE(local.name().toStdString());
        EXPECT_FALSE(MemTableModel::longTimeFormat(local).contains(u't'));
        EXPECT_TRUE(MemTableModel::longTimeFormat(local).contains(QStringLiteral("ss")));
    }
    const QDateTime momento(QDate(2024, 5, 7), QTime(14, 3, 9));
    EXPECT_EQ(MemTableModel::displayText(momento, br), "07/05/2024 14:03:09");
    const QString americano = MemTableModel::displayText(momento, us);
    EXPECT_TRUE(americano.startsWith(QStringLiteral("5/7/24 2:03:09"))) << americano.toStdString();
    EXPECT_TRUE(americano.endsWith(QStringLiteral("PM"))) << americano.toStdString();
    EXPECT_EQ(MemTableModel::displayText(QDateTime(QDate(2024, 5, 7), QTime(0, 0)), br),
              "07/05/2024");
    EXPECT_EQ(MemTableModel::displayText(QTime(9, 5, 1), br), "09:05:01");
}

// ---- Gradient tabs

TEST(PaginasGradiente, ActiveAndOtherTabsAreGradientsAndTheMouseLightsThemUp) {
    EXPECT_EQ(CoresDaAba(true, false),
              (CoresAba{QColor(136, 208, 208), QColor(200, 234, 234), QColor(0, 0, 128)}));
    EXPECT_EQ(CoresDaAba(false, false),
              (CoresAba{QColor(0, 0, 64), QColor(100, 196, 196), QColor(Qt::white)}));
    for (bool ativa : {true, false}) {
        const CoresAba normal = CoresDaAba(ativa, false);
        const CoresAba acesa = CoresDaAba(ativa, true);
        EXPECT_GT(acesa.inicio.lightness(), normal.inicio.lightness()) << ativa;
        EXPECT_EQ(acesa.texto, normal.texto);
    }

    TPaginasGradiente paginas(nullptr);
    paginas.addTab(new QWidget, QStringLiteral("Terminais Conectados"));
    paginas.addTab(new QWidget, QStringLiteral("Configurações"));
    paginas.resize(400, 200);
    paginas.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&paginas));
    TAbasGradiente* abas = paginas.Abas();
    EXPECT_EQ(abas->tabRect(0).height(), kAlturaAba);
    const QImage imagem = abas->grab().toImage();
    const QRect ativa = abas->tabRect(0);
    const QRect outra = abas->tabRect(1);
    // Sampled beside the captions: at the tab's left end, below its border.
    EXPECT_TRUE(
        perto(imagem.pixelColor(ativa.left() + 3, ativa.top() + 1), QColor(136, 208, 208), 8));
    EXPECT_TRUE(
        perto(imagem.pixelColor(ativa.left() + 3, ativa.bottom() - 1), QColor(200, 234, 234), 8));
    EXPECT_TRUE(perto(imagem.pixelColor(outra.left() + 3, outra.top() + 3), QColor(0, 0, 64), 16))
        << rgb(imagem.pixelColor(outra.left() + 3, outra.top() + 3));
    EXPECT_TRUE(
        perto(imagem.pixelColor(outra.left() + 3, outra.bottom() - 1), QColor(100, 196, 196), 12));
    // Every caption fits its tab.
    for (int i = 0; i < abas->count(); ++i)
        EXPECT_GE(abas->tabRect(i).width(),
                  abas->fontMetrics().horizontalAdvance(abas->tabText(i)));

    QTest::mouseMove(abas, outra.center());
    EXPECT_EQ(abas->AbaSobMouse(), 1);
}

} // namespace
