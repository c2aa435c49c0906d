// The server window's design on the real window, started on the fixture database: size, border
// and centring, panels and their colours, captions and fonts, tabs, grids with their titles,
// widths, alignment and painted rows, and the regional date and time of the log. Checked under
// the fonts this machine substitutes for the Windows ones: no caption may be cut off.

#include "TestWindow.h"
#include "support/ServerFolder.h"

#include "app/Principal.h"
#include "ui/MemTableModel.h"
#include "ui/PaginasGradiente.h"
#include "ui/PintaCelulaGrid.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace vorn;
using app::TFPrincipal;
using vorn::test::timer;

namespace {

const QDateTime kInicio(QDate(2024, 5, 7), QTime(14, 3, 9));

// One window for the whole suite: its start-up is the slow part and these tests only look.
class JanelaPrincipal : public testing::Test {
protected:
    static void SetUpTestSuite() {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        pasta_ = new test::ServerFolder;
        pasta_->writeSettings(1, 2);
        app::AmbientePrincipal ambiente{pasta_->programFile()};
        ambiente.agora = [] { return kInicio; };
        janela_ = new TFPrincipal(ambiente);
        timer(*janela_, "TimerHideApp")->stop();
        janela_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(janela_));
    }
    static void TearDownTestSuite() {
        delete janela_;
        delete pasta_;
        QLocale::setDefault(QLocale::c());
    }

    TFPrincipal& w() { return *janela_; }

    template <typename T> T* filho(const char* nome) {
        T* widget = janela_->findChild<T*>(QString::fromLatin1(nome));
        EXPECT_NE(widget, nullptr) << nome;
        return widget;
    }

    // Shows a tab and lets its layout settle.
    void mostra(QWidget* aba) {
        w().PageControl1->setCurrentWidget(aba);
        QCoreApplication::processEvents();
    }

    static test::ServerFolder* pasta_;
    static TFPrincipal* janela_;
};

test::ServerFolder* JanelaPrincipal::pasta_ = nullptr;
TFPrincipal* JanelaPrincipal::janela_ = nullptr;

TEST_F(JanelaPrincipal, IsAFixedCentredWindowWithACloseButtonOnly) {
    EXPECT_EQ(w().size(), QSize(532, 444));
    EXPECT_EQ(w().minimumSize(), QSize(532, 444));
    EXPECT_EQ(w().maximumSize(), QSize(532, 444));
    const Qt::WindowFlags flags = w().windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    const QPoint centroTela = w().screen()->availableGeometry().center();
    // Centred before the first show, when the platform's decoration is not known yet: off by at
    // most half of it.
    const QPoint desvio = w().frameGeometry().center() - centroTela;
    EXPECT_LE(std::abs(desvio.x()), (w().frameGeometry().width() - w().width()) / 2 + 1);
    EXPECT_LE(std::abs(desvio.y()), (w().frameGeometry().height() - w().height()) / 2 + 1);
    EXPECT_EQ(w().windowTitle(), "Rarud Erevur VORN - Servidor - 2.0");
    EXPECT_EQ(w().font().family(), "MS Sans Serif");
    EXPECT_EQ(w().font().pixelSize(), 11);
}

TEST_F(JanelaPrincipal, PanelsAndHeadingHaveTheirColoursCaptionsAndFonts) {
    auto* fundo = filho<QWidget>("Panel2");
    auto* cabecalho = filho<QWidget>("Panel1");
    auto* titulo = filho<QLabel>("Label1");
    auto* aviso = filho<QLabel>("LabelAviso");
    ASSERT_TRUE(fundo && cabecalho && titulo && aviso);
    EXPECT_EQ(fundo->geometry(), w().rect());
    EXPECT_EQ(cabecalho->height(), 113);
    EXPECT_EQ(titulo->text(), "Servidor Rarud Erevur VORN");
    EXPECT_EQ(titulo->font().family(), "MS UI Gothic");
    EXPECT_EQ(titulo->font().pixelSize(), 27);
    EXPECT_TRUE(titulo->font().underline());
    EXPECT_EQ(titulo->palette().color(QPalette::WindowText),
              QApplication::palette().color(QPalette::HighlightedText));
    EXPECT_EQ(aviso->text(), "Este programa faz parte do sistema VORN e não pode ser utilizado "
                             "separadamente");
    EXPECT_TRUE(aviso->wordWrap());
    EXPECT_EQ(aviso->font().family(), "Verdana");
    EXPECT_EQ(aviso->font().pixelSize(), 16);
    EXPECT_EQ(aviso->palette().color(QPalette::WindowText), QColor(228, 235, 148));
    EXPECT_EQ(w().BoxNaoMinimizar->text(), "Não Minimizar");
    EXPECT_EQ(w().BoxNaoMinimizar->font().family(), "MS UI Gothic");
    EXPECT_EQ(w().BoxNaoMinimizar->font().pixelSize(), 15);
    EXPECT_FALSE(w().BoxNaoMinimizar->isChecked());
    // Along the heading's bottom edge.
    EXPECT_GE(w().BoxNaoMinimizar->geometry().bottom(), cabecalho->height() - 8);

    // The colours as painted: the heading's navy beside the title, the window's light blue
    // inside the bevels beside the tabs, and the error label's own colours.
    const QImage imagem = w().grab().toImage();
    EXPECT_EQ(imagem.pixelColor(6, 6), QColor(0, 0, 64));
    // The check box stands on the heading's navy, not on a box of its own.
    const QPoint caixa =
        w().BoxNaoMinimizar->mapTo(&w(), QPoint(w().BoxNaoMinimizar->width() - 2, 1));
    EXPECT_EQ(imagem.pixelColor(caixa), QColor(0, 0, 64));
    const QRect abas = w().PageControl1->tabBar()->geometry().translated(
        w().PageControl1->mapTo(&w(), QPoint(0, 0)));
    EXPECT_EQ(imagem.pixelColor(w().width() - 6, abas.center().y()), QColor(193, 208, 240));
    EXPECT_EQ(w().LabelTemErro->palette().color(QPalette::Window), QColor(255, 190, 159));
    EXPECT_EQ(w().LabelTemErro->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_FALSE(w().LabelTemErro->isVisible()); // the fixture's branch and table are fine
}

TEST_F(JanelaPrincipal, FourGradientTabsStartingOnTheConnectedTerminals) {
    ASSERT_EQ(w().PageControl1->count(), 4);
    const std::pair<QWidget*, const char*> abas[] = {
        {w().TabTerminaisConectados, "Terminais Conectados"},
        {w().TabConfiguracoes, "Configurações"},
        {w().TabLogs, "Logs"},
        {w().TabSheet1, "Produtos Cadastrados"},
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(w().PageControl1->widget(i), abas[i].first) << i;
        EXPECT_EQ(w().PageControl1->tabText(i), QString::fromUtf8(abas[i].second)) << i;
    }
    EXPECT_EQ(w().PageControl1->currentWidget(), w().TabTerminaisConectados);
    auto* barra = qobject_cast<ui::TAbasGradiente*>(w().PageControl1->tabBar());
    ASSERT_NE(barra, nullptr);
    EXPECT_EQ(barra->tabRect(0).height(), 23);
    EXPECT_EQ(barra->font().family(), "Tahoma");
    // All four tabs side by side within the page control, none squeezed.
    EXPECT_LE(barra->tabRect(3).right(), w().PageControl1->width());
    for (int i = 0; i < 4; ++i)
        EXPECT_GE(barra->tabRect(i).width(),
                  barra->fontMetrics().horizontalAdvance(barra->tabText(i)) + 8)
            << i;
}

TEST_F(JanelaPrincipal, TheConfigurationTabHasItsLabelsFieldsAndButton) {
    mostra(w().TabConfiguracoes);
    QStringList rotulos;
    for (auto* label : w().TabConfiguracoes->findChildren<QLabel*>())
        rotulos << label->text();
    for (const char* texto : {"Filial", "Tabela de Preços", "Porta", "Host", "Tipo Conexão"})
        EXPECT_TRUE(rotulos.contains(QString::fromUtf8(texto))) << texto;
    EXPECT_EQ(w().EditPorta->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    // The port the terminal library listens on, from its settings (the fixture's free port).
    EXPECT_EQ(w().EditPorta->text(), QString::number(pasta_->terminalPort()));
    EXPECT_EQ(w().BoxIncluirUnVenda->text(), "Incluir Un. Venda");
    EXPECT_EQ(w().BotAlterarConfig->text(), "Alterar");
    for (QLineEdit* edit :
         {w().EditFilial, w().EditTabPrecos, w().EditPorta, w().EditHost, w().EditTipoConexao})
        EXPECT_TRUE(edit->isReadOnly()) << edit->objectName().toStdString();
    EXPECT_NE(w().TabConfiguracoes->findChild<QWidget*>("Bevel1"), nullptr); // the dotted line
    EXPECT_EQ(w().JvXPButton1->text(), "Reiniciar Server");
    EXPECT_EQ(w().BotLimpaLogs->text(), "Limpar");
    EXPECT_EQ(w().BitBtn2->text(), "Listar Todos");
    EXPECT_FALSE(w().LabelQtdeProdutos->isVisible());
}

// Every caption whole, inside its parent, with the fonts this machine substitutes, on every tab.
// The error label and the product count are shown for the check, as they can be at run time.
TEST_F(JanelaPrincipal, NothingIsCutOffWithTheSubstitutedFonts) {
    w().LabelTemErro->setVisible(true);
    w().LabelQtdeProdutos->setText(QStringLiteral("123456 produtos ativos"));
    w().LabelQtdeProdutos->setVisible(true);
    for (QWidget* aba :
         {w().TabTerminaisConectados, w().TabConfiguracoes, w().TabLogs, w().TabSheet1}) {
        mostra(aba);
        SCOPED_TRACE(aba->objectName().toStdString());
        for (QWidget* widget : w().findChildren<QWidget*>()) {
            if (!widget->isVisible() || qobject_cast<QTabBar*>(widget))
                continue;
            const std::string nome = widget->objectName().isEmpty()
                                         ? widget->metaObject()->className()
                                         : widget->objectName().toStdString();
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                SCOPED_TRACE(label->text().toStdString());
                const QRect area = label->contentsRect();
                if (label->wordWrap()) {
                    EXPECT_LE(label->heightForWidth(label->width()), label->height()) << nome;
                } else {
                    EXPECT_LE(label->sizeHint().width(), label->width()) << nome;
                    EXPECT_LE(label->fontMetrics().height(), area.height()) << nome;
                }
            } else if (auto* botao = qobject_cast<QAbstractButton*>(widget)) {
                SCOPED_TRACE(botao->text().toStdString());
                EXPECT_LE(botao->sizeHint().width(), botao->width()) << nome;
                EXPECT_LE(botao->fontMetrics().height(), botao->height()) << nome;
            } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                EXPECT_LE(edit->fontMetrics().height() + 2, edit->height()) << nome;
            }
            // Inside the parent, so nothing is clipped by the window's fixed size.
            if (widget->parentWidget() != nullptr) {
                EXPECT_TRUE(widget->parentWidget()->rect().contains(widget->geometry()))
                    << nome << " " << widget->geometry().x() << "," << widget->geometry().y() << " "
                    << widget->width() << "x" << widget->height();
            }
        }
    }
    w().LabelTemErro->setVisible(false);
    w().LabelQtdeProdutos->setVisible(false);
}

struct ColunaEsperada {
    const char* titulo;
    int largura; // 0: the default, from 20 characters
    Qt::Alignment alinhamento;
};

TEST_F(JanelaPrincipal, GridsHaveTheirColumnTitlesWidthsAndAlignment) {
    const Qt::Alignment padrao = Qt::AlignLeft | Qt::AlignVCenter;
    const std::vector<std::pair<QTableView*, std::vector<ColunaEsperada>>> grades = {
        {w().DBGrid1, {{"IP", 0, Qt::AlignCenter}, {"Código do Terminal", 120, Qt::AlignCenter}}},
        {w().DBGrid3,
         {{"Data/Hora", 90, padrao}, {"Origem/Destino", 86, padrao}, {"Conteúdo", 243, padrao}}},
        {w().DBGrid4,
         {{"Código", 86, padrao}, {"Código Barras", 127, padrao}, {"Descrição", 253, padrao}}},
    };
    for (const auto& [grade, colunas] : grades) {
        SCOPED_TRACE(grade->objectName().toStdString());
        ASSERT_EQ(grade->model()->columnCount(), static_cast<int>(colunas.size()));
        for (int c = 0; c < static_cast<int>(colunas.size()); ++c) {
            SCOPED_TRACE(colunas[c].titulo);
            EXPECT_EQ(grade->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                      QString::fromUtf8(colunas[c].titulo));
            const auto* modelo = static_cast<const ui::MemTableModel*>(grade->model());
            EXPECT_EQ(modelo->columns()[c].alignment, colunas[c].alinhamento);
            const int titulo = grade->horizontalHeader()->fontMetrics().horizontalAdvance(
                QString::fromUtf8(colunas[c].titulo));
            EXPECT_GE(grade->columnWidth(c), titulo + 4) << "the title shows whole";
            if (colunas[c].largura == 0) {
                EXPECT_EQ(grade->columnWidth(c),
                          20 * grade->fontMetrics().horizontalAdvance(u'0') + 4);
            } else if (c > 0 || grade != w().DBGrid3) { // the date column: see the log test
                // The design's width, widened only as far as a wider substitute font needs.
                EXPECT_GE(grade->columnWidth(c), colunas[c].largura);
                EXPECT_LE(grade->columnWidth(c), std::max(colunas[c].largura, titulo + 8));
            }
        }
        EXPECT_EQ(grade->editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_EQ(grade->selectionBehavior(), QAbstractItemView::SelectRows);
        EXPECT_EQ(grade->selectionMode(), QAbstractItemView::ExtendedSelection);
        EXPECT_TRUE(grade->showGrid());
        EXPECT_FALSE(grade->horizontalHeader()->isHidden());
        EXPECT_FALSE(grade->verticalHeader()->isHidden()); // the row indicator
        EXPECT_TRUE(grade->horizontalHeader()->sectionsClickable());
        EXPECT_EQ(grade->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
        EXPECT_NE(qobject_cast<ui::TPintaGrade*>(grade->itemDelegate()), nullptr);
    }
}

TEST_F(JanelaPrincipal, TheLogShowsTheRegionalDateAndLongTimeWholeOnALightBlueFirstRow) {
    mostra(w().TabLogs);
    ASSERT_GE(w().memLogs().recordCount(), 1);
    QTableView* grade = w().DBGrid3;
    const QString texto = grade->model()->index(0, 0).data().toString();
    EXPECT_EQ(texto, "07/05/2024 14:03:09");
    EXPECT_EQ(grade->model()->index(0, 1).data().toString(), "Servidor");
    EXPECT_EQ(grade->model()->index(0, 2).data().toString(), "Servidor ativado com sucesso");
    // The design's 90 pixels are widened where the font needs it: the value shows whole.
    EXPECT_GE(grade->columnWidth(0), grade->fontMetrics().horizontalAdvance(texto) + 4);
    EXPECT_GE(grade->columnWidth(0), 90);

    grade->clearSelection();
    const QImage celulas = grade->viewport()->grab().toImage();
    const int y = grade->rowViewportPosition(0) + 2;
    const int x = grade->columnViewportPosition(2) + grade->columnWidth(2) - 4;
    EXPECT_EQ(celulas.pixelColor(x, y), QColor(223, 235, 255));
    grade->selectRow(0);
    EXPECT_EQ(grade->viewport()->grab().toImage().pixelColor(x, y), QColor(0, 94, 94));
    grade->clearSelection();
}

} // namespace
