#include "common/ErroLongo.h"
#include "ui/Msg.h"

#include "platform/Codepage.h"
#include "support/TempDir.h"
#include "ui/DialogTestSupport.h"
#include "ui/MeuEdit.h"
#include "ui/MsgComponentes.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace vorn::ui;
using vorn::test::keyTarget;
using vorn::test::readFile;
using vorn::test::TempDir;
using vorn::test::Watchdog;
using vorn::test::whenShown;

namespace {

class MsgTest : public testing::Test {
protected:
    // Presses `key` in the open dialog, lets it react, and tells whether it is still open.
    bool pressStaysOpen(Qt::Key key) {
        QTest::keyClick(keyTarget(dlg), key);
        QCoreApplication::processEvents();
        return dlg.isVisible();
    }

    vorn::test::PinnedBrazilianLocale locale;
    TempDir dir;
    TFMsg dlg;
};

QString chars(int n) {
    QString text;
    for (int i = 0; i < n; ++i)
        text += i % 7 == 6 ? QChar(u' ') : QChar(char16_t(u'a' + i % 26));
    return text;
}

// ---- Width and height
// -----------------------------------------------------------------------------

TEST(MsgRules, WidthBandsIncludingTheirGaps) {
    const std::pair<int, int> bands[] = {{0, 0},    {99, 0},   {100, 1},  {150, 1},  {151, 2},
                                         {400, 6},  {401, 7},  {451, 7},  {452, 8},  {600, 10},
                                         {601, 15}, {650, 15}, {651, 11}, {800, 13}, {801, 15},
                                         {850, 15}, {851, 14}, {900, 14}, {901, 15}, {5000, 15}};
    for (const auto& [length, band] : bands)
        EXPECT_EQ(FaixaLarguraMsg(length), band) << length;
}

TEST_F(MsgTest, WidthFollowsTheLengthAndTheLineBreaksOfTheMessage) {
    const std::pair<QString, int> cases[] = {
        {chars(99), 320},
        {chars(100), 327},
        {chars(620), 425},
        {chars(40) + "\r\n" + chars(40) + "\r\n" + chars(10), 340}, // 96 characters, 2 breaks
    };
    vorn::ui::ScopedMsgAnswers answers;
    for (const auto& [text, width] : cases) {
        dlg.AvisoOutros(text);
        EXPECT_EQ(answers.shown().back().largura, width) << text.size();
    }
}

TEST_F(MsgTest, AShortMessageGetsTheMinimumHeightAndAnEmptyLineAbove) {
    vorn::ui::ScopedMsgAnswers answers;
    dlg.AvisoOutros("Uma linha só.");
    EXPECT_EQ(answers.shown().back().altura, 150);
    EXPECT_EQ(answers.shown().back().mensagem, "\r\n\tUma linha só.");
    EXPECT_EQ(dlg.height(), 150);

    // Six lines need more than 150: no line break goes in front.
    const QString tall = "1\r\n2\r\n3\r\n4\r\n5\r\n6";
    dlg.AvisoOutros(tall);
    EXPECT_GT(answers.shown().back().altura, 150);
    EXPECT_EQ(answers.shown().back().mensagem, "\t" + tall);
}

TEST_F(MsgTest, TheExtraLineOfAnErrorAddsTwelvePixels) {
    vorn::ui::ScopedMsgAnswers answers;
    const QString tall = "1\r\n2\r\n3\r\n4\r\n5\r\n6";
    dlg.Erro(tall, "");
    dlg.Erro(tall, "abc");
    ASSERT_EQ(answers.shown().size(), 2u);
    EXPECT_EQ(answers.shown()[0].outrasInf, "");
    EXPECT_EQ(answers.shown()[1].outrasInf, "abc");
    EXPECT_EQ(answers.shown()[1].altura, answers.shown()[0].altura + 12);
    EXPECT_EQ(answers.shown()[1].botoes, QStringList{"OK (enter)"});
    EXPECT_EQ(answers.shown()[1].cabecalho, "OCORREU UM ERRO");
}

TEST_F(MsgTest, ATextTallerThanTheScreenStopsAtTheScreenHeight) {
    vorn::ui::ScopedMsgAnswers answers;
    QString huge;
    for (int i = 0; i < 400; ++i)
        huge += "linha\r\n";
    dlg.AvisoImportante(huge);
    EXPECT_LE(answers.shown().back().altura, dlg.screen()->availableGeometry().height());
    EXPECT_GT(answers.shown().back().altura, 150);
}

// ---- Keys and buttons
// -----------------------------------------------------------------------------

TEST_F(MsgTest, ConfirmationCaptionsAndTheirKeys) {
    struct Case {
        QString um, tres;
        QString captionUm, captionTres;
        Qt::Key key;
        bool closesWithKey;
        bool answer; // when the key does not close, the no button is clicked
    };
    const Case cases[] = {
        {"Sim", "Não", "Sim (enter)", "Não (ESC)", Qt::Key_Return, true, true},
        {"Sim", "Não", "Sim (enter)", "Não (ESC)", Qt::Key_Escape, true, false},
        {"123456789", "Não", "123456789 (enter)", "Não (ESC)", Qt::Key_Enter, true, true},
        {"1234567890", "Não", "1234567890", "Não (ESC)", Qt::Key_Return, false, false},
        {"Sim", "12345678901", "Sim (enter)", "12345678901 (ESC)", Qt::Key_Escape, true, false},
        {"Sim", "123456789012", "Sim (enter)", "123456789012", Qt::Key_Escape, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.um.toStdString() + " / " + c.tres.toStdString());
        Watchdog watchdog(dlg);
        bool stayed = false;
        whenShown(dlg, [&] {
            EXPECT_EQ(dlg.BotUm->text(), c.captionUm);
            EXPECT_EQ(dlg.BotTres->text(), c.captionTres);
            EXPECT_FALSE(dlg.BotDois->isVisible());
            stayed = pressStaysOpen(c.key);
            if (stayed)
                QTest::mouseClick(dlg.BotTres, Qt::LeftButton);
        });
        EXPECT_EQ(dlg.ConfirmacaoSimples("Confirma?", c.um, c.tres), c.answer);
        EXPECT_EQ(stayed, !c.closesWithKey);
    }
}

TEST_F(MsgTest, ClickingTheNoButtonAnswersNoAndTheYesButtonYes) {
    for (const bool yes : {true, false}) {
        Watchdog watchdog(dlg);
        whenShown(dlg, [&] { QTest::mouseClick(yes ? dlg.BotUm : dlg.BotTres, Qt::LeftButton); });
        EXPECT_EQ(dlg.ConfirmacaoAtencao("Apagar?", "Sim", "Não"), yes);
    }
}

TEST_F(MsgTest, NotesIgnoreEscAndCloseWithEnter) {
    const std::function<void()> kinds[] = {
        [&] { dlg.Erro("Falhou.", ""); },
        [&] { dlg.AvisoImportante("Cuidado."); },
        [&] { dlg.AvisoOutros("Aviso."); },
        [&] { dlg.AvisoHelps("Ajuda.", 12, true); },
    };
    for (const auto& show : kinds) {
        Watchdog watchdog(dlg);
        bool openAfterEsc = false, openAfterEnter = true;
        whenShown(dlg, [&] {
            openAfterEsc = pressStaysOpen(Qt::Key_Escape);
            openAfterEnter = pressStaysOpen(Qt::Key_Return);
        });
        show();
        EXPECT_TRUE(openAfterEsc);
        EXPECT_FALSE(openAfterEnter);
        EXPECT_EQ(dlg.ResultadoModal(), mrYes);
    }
}

TEST_F(MsgTest, AvisoHelpsIndentsOnlyWhenAskedAndUsesItsFontSize) {
    vorn::ui::ScopedMsgAnswers answers;
    dlg.AvisoHelps("Texto", 14, false);
    EXPECT_EQ(answers.shown().back().mensagem.trimmed(), "Texto");
    EXPECT_FALSE(answers.shown().back().mensagem.contains('\t'));
    EXPECT_EQ(dlg.MemoMensagem->font().pointSize(), 14);
    dlg.AvisoHelps("Texto", 14, true);
    EXPECT_TRUE(answers.shown().back().mensagem.endsWith("\tTexto"));
}

// ---- Success note
// ---------------------------------------------------------------------------------

TEST_F(MsgTest, SuccessCountsDownThreeTwoOneZeroAndCloses) {
    Watchdog watchdog(dlg);
    QStringList seen;
    QTimer sampler;
    sampler.setInterval(20);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const QString text = dlg.LabelPressioneQQTeclaParaContinuar->text();
        if (dlg.isVisible() && (seen.isEmpty() || seen.back() != text))
            seen << text;
    });
    sampler.start();
    whenShown(dlg, [&] {
        EXPECT_FALSE(dlg.BotUm->isVisible() || dlg.BotDois->isVisible() ||
                     dlg.BotTres->isVisible());
        EXPECT_FALSE(dlg.PanelRodape->isVisible());
        EXPECT_TRUE(dlg.LabelPressioneQQTeclaParaContinuar->isVisible());
    });
    dlg.Sucesso("Servidor reiniciado com sucesso.", 4);
    sampler.stop();

    const QString base = "Pressione qualquer tecla para continuar...";
    EXPECT_EQ(seen, (QStringList{base + " ", base + "3. ", base + "2. ", base + "1. "}));
    EXPECT_EQ(dlg.LabelPressioneQQTeclaParaContinuar->text(), base + "0. ");
    EXPECT_EQ(dlg.ResultadoModal(), mrCancel);
    EXPECT_EQ(dlg.LegendaCabecalho(), "SUCESSO");
}

TEST_F(MsgTest, SuccessClosesAtOnceOnAKeyOrAClickOnTheText) {
    const std::function<void()> actions[] = {
        [&] { QTest::keyClick(keyTarget(dlg), Qt::Key_A); },
        [&] { QTest::mouseClick(dlg.MemoMensagem->viewport(), Qt::LeftButton); },
    };
    for (const auto& act : actions) {
        Watchdog watchdog(dlg);
        whenShown(dlg, act);
        dlg.Sucesso("Pronto.", 4);
        // Closed before the first second: the count never started.
        EXPECT_EQ(dlg.LabelPressioneQQTeclaParaContinuar->text(),
                  "Pressione qualquer tecla para continuar... ");
        EXPECT_FALSE(dlg.TimerFechaAuto.isActive());
    }
}

// ---- Long error
// -----------------------------------------------------------------------------------

TEST_F(MsgTest, AnErrorOfMoreThanThousandCharactersGoesToTheDaysFile) {
    dlg.DefinePastaPrograma(QString::fromStdString(dir.dir()));
    const QString file = QString::fromStdString(dir.dir()) + "Temp/LongErr" +
                         QDate::currentDate().toString("ddMMyyyy") + ".txt";
    vorn::ui::ScopedMsgAnswers answers;

    dlg.Erro(chars(1000), "");
    EXPECT_EQ(answers.shown().back().mensagem, "\t" + chars(1000));
    EXPECT_FALSE(std::filesystem::exists(dir / "Temp"));

    const QString first = "é" + chars(1000);
    dlg.Erro(first, "");
    EXPECT_EQ(readFile(file.toStdString()), vorn::platform::toAnsi(first + "\r\n").toStdString());
    const QString replacement =
        "\tHouve um erro, mas o tamanho da mensagem de erro ficou muito extensa e não pode ser "
        "exibida nesta tela. Ela foi gravada no arquivo " +
        file +
        " para que você possa analsá-la e tentar corrigir o problema. Abra esse arquivo e analise "
        "seu conteúdo para verificar qual foi o erro que ocorreu.\r\n\tCaso tenha dificuldades, "
        "contate seu suporte técnico para orientações.";
    EXPECT_EQ(answers.shown().back().mensagem, "\t" + replacement);
    EXPECT_EQ(answers.shown().back().largura, LarguraMsg(replacement));

    const QString second = chars(1500);
    dlg.Erro(second, "");
    EXPECT_EQ(readFile(file.toStdString()), second.toStdString() + "\r\n");
}

TEST_F(MsgTest, ALongErrorThatCannotBeWrittenThrowsAndShowsNothing) {
    vorn::test::writeFile(dir / "Temp", "a file where the folder should be");
    dlg.DefinePastaPrograma(QString::fromStdString(dir.dir()));
    vorn::ui::ScopedMsgAnswers answers;
    EXPECT_THROW(dlg.Erro(chars(1001), ""), std::runtime_error);
    EXPECT_TRUE(answers.shown().empty());
}

TEST(MsgRules, LongErrorFileNameTakesTheDigitsOfTheShortDate) {
    const QDate day(2025, 12, 10);
    EXPECT_EQ(vorn::common::NomeArquivoErroLongo("/p/", day,
                                                 QLocale(QLocale::Portuguese, QLocale::Brazil)),
              "/p/Temp/LongErr10122025.txt");
    EXPECT_EQ(vorn::common::NomeArquivoErroLongo("/p/", day,
                                                 QLocale(QLocale::English, QLocale::UnitedStates)),
              "/p/Temp/LongErr121025.txt");
}

// ---- Requests
// -------------------------------------------------------------------------------------

TEST_F(MsgTest, WholeNumberRequest) {
    struct Case {
        QString def;
        QString shown;
        QList<Qt::Key> typed;
        QString result;
        bool ok;
    };
    const Case cases[] = {
        {"12", "12", {}, "12", true},
        {"0", "", {}, "", false},
        {"abc", "", {}, "", false},
        {"", "", {Qt::Key_4, Qt::Key_Minus, Qt::Key_A, Qt::Key_2}, "42", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.def.toStdString());
        Watchdog watchdog(dlg);
        QString shown, selected;
        Qt::Alignment alignment;
        whenShown(dlg, [&] {
            shown = dlg.EditValorToRetorno->text();
            selected = dlg.EditValorToRetorno->selectedText();
            alignment = dlg.EditValorToRetorno->alignment();
            for (Qt::Key key : c.typed)
                QTest::keyClick(dlg.EditValorToRetorno, key);
            QTest::keyClick(dlg.EditValorToRetorno, Qt::Key_Escape); // does nothing
            QTest::keyClick(dlg.EditValorToRetorno, Qt::Key_Return);
        });
        QString result = "stale";
        EXPECT_EQ(dlg.PedidoInformacao(result, "Indique a nova filial",
                                       TFormatoPedidoInformacao::tfInteiro, c.def, "#,##0.00"),
                  c.ok);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(selected, c.shown);
        EXPECT_TRUE(alignment & Qt::AlignRight);
        EXPECT_EQ(dlg.LegendaCabecalho(), "PEDIDO DE INFORMAÇÃO");
    }
}

TEST_F(MsgTest, DecimalRequest) {
    struct Case {
        QString def;
        QString shown;
        QString typed;
        QString result;
        bool ok;
    };
    const Case cases[] = {
        {"15,5", "15,50", "", "15,50", true},
        {"", "", "-3,,5", "-3,5", false}, // the second comma is refused
        {"", "", "0", "0", true},
        {"", "", "-1", "-1", false},
        {"", "", "-0.5", "-0,5", true}, // "." types the decimal comma
        {"", "", "5-", "5", true},      // minus only first
        {"", "", "-1234,5", "-1234,5", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        Watchdog watchdog(dlg);
        QString shown;
        whenShown(dlg, [&] {
            shown = dlg.EditValorToRetorno->text();
            QTest::keyClicks(dlg.EditValorToRetorno, c.typed);
            QTest::keyClick(dlg.EditValorToRetorno, Qt::Key_Return);
        });
        QString result;
        EXPECT_EQ(dlg.PedidoInformacao(result, "Valor", TFormatoPedidoInformacao::tfNumerico, c.def,
                                       "#,##0.00"),
                  c.ok);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(result, c.result);
    }
}

TEST_F(MsgTest, ListRequest) {
    struct Case {
        QStringList items;
        QString result;
        bool ok;
    };
    const Case cases[] = {
        {{"1-Varejo"}, "1-Varejo", true},
        {{"1-Varejo", "2-Atacado", "3-Promo"}, "", false},
        {{}, "", false},
    };
    for (const Case& c : cases) {
        Watchdog watchdog(dlg);
        dlg.ComboBoxToRetorno->clear();
        dlg.ComboBoxToRetorno->addItems(c.items);
        bool listHasFocus = false;
        whenShown(dlg, [&] {
            listHasFocus = dlg.focusWidget() == dlg.ComboBoxToRetorno;
            QTest::keyClick(keyTarget(dlg), Qt::Key_Return);
        });
        QString result;
        EXPECT_EQ(dlg.PedidoInformacao(result, "Indique a nova tabela de preços",
                                       TFormatoPedidoInformacao::tfTextoLista, "x", "#,##0.00"),
                  c.ok);
        EXPECT_EQ(result, c.result);
        EXPECT_TRUE(listHasFocus);
    }
}

TEST_F(MsgTest, DateRequest) {
    {
        Watchdog watchdog(dlg);
        QString shown;
        whenShown(dlg, [&] {
            shown = dlg.MaskEditDataToRetorno->text();
            QTest::keyClick(keyTarget(dlg), Qt::Key_Return);
        });
        QString result;
        EXPECT_TRUE(dlg.PedidoInformacao(result, "Data", TFormatoPedidoInformacao::tfData,
                                         "31/12/2024", "#,##0.00"));
        EXPECT_EQ(shown, "31/12/2024");
        EXPECT_EQ(result, "31/12/2024");
    }
    {
        Watchdog watchdog(dlg);
        whenShown(dlg, [&] {
            dlg.MaskEditDataToRetorno->setFocus();
            dlg.MaskEditDataToRetorno->selectAll();
            QTest::keyClick(dlg.MaskEditDataToRetorno, Qt::Key_Backspace);
            QTest::keyClick(dlg.MaskEditDataToRetorno, Qt::Key_Return);
        });
        QString result;
        EXPECT_FALSE(dlg.PedidoInformacao(result, "Data", TFormatoPedidoInformacao::tfData,
                                          "não é data", "#,##0.00"));
        EXPECT_FALSE(result.contains(QRegularExpression("\\d")));
    }
}

TEST(MsgRules, DatesAreReadInTheLocalesOrder) {
    const QLocale br(QLocale::Portuguese, QLocale::Brazil),
        us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(TextoParaData("31/12/2024", br), QDate(2024, 12, 31));
    EXPECT_EQ(TextoParaData("12/31/2024", us), QDate(2024, 12, 31));
    EXPECT_EQ(TextoParaData("1/2/30", br), QDate(2030, 2, 1));
    for (const char* bad : {"31/02/2024", "__/__/____", "//", "", "12/31/2024", "1/1/1899"})
        EXPECT_FALSE(TextoParaData(bad, br).has_value()) << bad;
}

TEST_F(MsgTest, PasswordRequestHidesTheTextAndTheEyeShowsIt) {
    Watchdog watchdog(dlg);
    QStringList displays;
    whenShown(dlg, [&] {
        QTest::keyClicks(dlg.EditValorToRetorno, "abc");
        displays << dlg.EditValorToRetorno->displayText();
        QTest::mouseClick(dlg.ImagePassChar, Qt::LeftButton);
        displays << dlg.EditValorToRetorno->displayText();
        QTest::mouseClick(dlg.ImagePassChar, Qt::LeftButton);
        displays << dlg.EditValorToRetorno->displayText();
        QTest::keyClick(dlg.EditValorToRetorno, Qt::Key_Return);
    });
    QString result;
    EXPECT_TRUE(dlg.PedidoInformacao(result, "Informe a senha de um operador administrador",
                                     TFormatoPedidoInformacao::tfPass, "", "#,##0.00"));
    EXPECT_EQ(result, "abc");
    EXPECT_EQ(displays, (QStringList{"###", "abc", "###"}));
    // Headless: no keyboard state, so the Caps Lock warning stays hidden.
    EXPECT_TRUE(dlg.LabelCapsLockLigado->isHidden());

    // The next request starts without the password character.
    ScopedMsgAnswers answers{MsgAnswer::informa("visível")};
    dlg.PedidoInformacao(result, "Texto", TFormatoPedidoInformacao::tfTexto, "", "");
    EXPECT_EQ(dlg.EditValorToRetorno->displayText(), "visível");
}

// ---- Frame
// ----------------------------------------------------------------------------------------

TEST_F(MsgTest, TimersKeepRunningWhileADialogWaits) {
    Watchdog watchdog(dlg);
    int ticks = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
    other.start(10);
    whenShown(dlg, [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 5; }, 5000));
        QTest::keyClick(keyTarget(dlg), Qt::Key_Return);
    });
    dlg.AvisoOutros("Esperando.");
    EXPECT_GE(ticks, 5);
}

TEST_F(MsgTest, DraggingTheHeaderMovesTheDialogAndTheNextOneIsCentred) {
    QPoint centred, dragged;
    {
        Watchdog watchdog(dlg);
        whenShown(dlg, [&] {
            centred = dlg.pos();
            QTest::mousePress(dlg.Cabecalho, Qt::LeftButton, {}, QPoint(50, 10));
            QTest::mouseMove(dlg.Cabecalho, QPoint(80, 30));
            QTest::mouseRelease(dlg.Cabecalho, Qt::LeftButton, {}, QPoint(80, 30));
            dragged = dlg.pos();
            EXPECT_FALSE(dlg.VCapturando);
            QTest::keyClick(keyTarget(dlg), Qt::Key_Return);
        });
        dlg.AvisoOutros("Arraste-me.");
    }
    EXPECT_EQ(dragged - centred, QPoint(30, 20));
    {
        Watchdog watchdog(dlg);
        QPoint again;
        whenShown(dlg, [&] {
            again = dlg.pos();
            QTest::keyClick(keyTarget(dlg), Qt::Key_Return);
        });
        dlg.AvisoOutros("Arraste-me.");
        EXPECT_EQ(again, centred);
    }
}

TEST_F(MsgTest, F1WithTheSupportStripCapturesTheScreenAndClosesWithRetry) {
    Watchdog watchdog(dlg);
    const QString capture = QString::fromStdString((dir / "print.jpg").string());
    dlg.VMostraLinkSuporte = true;
    dlg.VFilePrintScreen = capture;
    bool stripShown = false;
    whenShown(dlg, [&] {
        stripShown = dlg.JvGradientAcionaSuporte->isVisible();
        QTest::keyClick(keyTarget(dlg), Qt::Key_F1);
    });
    dlg.Erro("Falhou.", "");
    EXPECT_TRUE(stripShown);
    EXPECT_EQ(dlg.ResultadoModal(), mrRetry);
    EXPECT_TRUE(std::filesystem::exists(dir / "print.jpg"));
    // The strip holds for one dialog only.
    EXPECT_FALSE(dlg.VMostraLinkSuporte);
    EXPECT_TRUE(dlg.VFilePrintScreen.isEmpty());
}

TEST_F(MsgTest, F1WithoutTheSupportStripDoesNothing) {
    Watchdog watchdog(dlg);
    bool open = false;
    whenShown(dlg, [&] {
        open = pressStaysOpen(Qt::Key_F1);
        QTest::keyClick(keyTarget(dlg), Qt::Key_Return);
    });
    dlg.Erro("Falhou.", "");
    EXPECT_TRUE(open);
    EXPECT_EQ(dlg.ResultadoModal(), mrYes);
}

TEST_F(MsgTest, KindsPaintTheirOwnColoursWhateverCameBefore) {
    ScopedMsgAnswers answers;
    // After a confirmation (dark blue text) and after a note in yellow, the warning is the same.
    dlg.ConfirmacaoSimples("?", "Sim", "Não");
    dlg.AvisoOutros("a");
    const QColor afterConfirmation = dlg.MemoMensagem->palette().color(QPalette::Text);
    dlg.AvisoImportante("b");
    dlg.AvisoOutros("a");
    EXPECT_EQ(dlg.MemoMensagem->palette().color(QPalette::Text), afterConfirmation);
    dlg.Sucesso("c", 4);
    QString r;
    dlg.PedidoInformacao(r, "d", TFormatoPedidoInformacao::tfTexto, "", "");
    EXPECT_EQ(dlg.Cabecalho->CorLegenda(), QColor(Qt::white));
    EXPECT_EQ(dlg.Cabecalho->Inicio(), QColor(0, 0, 130));
}

// ---- Test seam
// ------------------------------------------------------------------------------------

TEST_F(MsgTest, TheSeamRecordsAndAnswersWithoutShowing) {
    ScopedMsgAnswers answers{MsgAnswer::nao(), MsgAnswer::sim(), MsgAnswer::informa("77")};
    dlg.Sucesso("Servidor reiniciado com sucesso.", 4); // takes no answer
    EXPECT_FALSE(dlg.ConfirmacaoSimples("Confirma?", "Sim", "Não"));
    EXPECT_TRUE(dlg.ConfirmacaoSimples("Confirma?", "Sim", "Não"));
    QString value;
    EXPECT_TRUE(dlg.PedidoInformacao(value, "Indique a nova filial",
                                     TFormatoPedidoInformacao::tfInteiro, "12", "#,##0.00"));
    EXPECT_EQ(value, "77");
    // Nothing queued: a confirmation closes as "no".
    EXPECT_FALSE(dlg.ConfirmacaoErro("De novo?", "Sim", "Não"));

    ASSERT_EQ(answers.shown().size(), 5u);
    EXPECT_EQ(answers.shown()[0].tipo, TipoMsg::Sucesso);
    EXPECT_TRUE(answers.shown()[0].botoes.isEmpty());
    EXPECT_EQ(answers.shown()[1].cabecalho, "PEDIDO DE CONFIRMAÇÃO");
    EXPECT_EQ(answers.shown()[1].botoes, (QStringList{"Sim (enter)", "Não (ESC)"}));
    EXPECT_EQ(answers.shown()[3].valorInicial, "12");
    EXPECT_EQ(answers.shown()[3].pedido, TFormatoPedidoInformacao::tfInteiro);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.TimerFechaAuto.isActive());
}

} // namespace
