#include "ui/Progressos.h"

#include "ui/DialogTestSupport.h"
#include "ui/Msg.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace vorn::ui;

namespace {

TEST(TFProgressos, EmptyMessageShowsTheDefaultAndHidingResetsTextAndBar) {
    TFProgressos window;
    EXPECT_EQ(window.size(), QSize(344, 114));
    window.LabelMensagem->setText("   ");
    window.show();
    EXPECT_EQ(window.LabelMensagem->text(),
              "\r\n\tProcessamento da solicitação em andamento. \r\n\r\n\tPor favor aguarde...");
    window.hide();

    window.LabelMensagem->setText("Carregando preços");
    window.BarraProgresso->show();
    window.BarraProgresso->setValue(40);
    window.show();
    EXPECT_EQ(window.LabelMensagem->text(), "Carregando preços");
    EXPECT_EQ(window.BarraProgresso->text(), "Concluídos...[40%]");
    window.hide();

    window.show();
    EXPECT_EQ(window.LabelMensagem->text(), TFProgressos::MensagemPadrao());
    EXPECT_TRUE(window.BarraProgresso->isHidden());
}

TEST(TFProgressos, AnyMessageDialogHidesItFirst) {
    TFProgressos window;
    TFMsg dlg;
    dlg.DefineJanelaProgresso(&window);
    window.show();
    vorn::test::Watchdog watchdog(dlg);
    bool hiddenWhileDialogShows = false;
    vorn::test::whenShown(dlg, [&] {
        hiddenWhileDialogShows = !window.isVisible();
        QTest::keyClick(vorn::test::keyTarget(dlg), Qt::Key_Return);
    });
    dlg.AvisoOutros("Aviso.");
    EXPECT_TRUE(hiddenWhileDialogShows);
}

} // namespace
