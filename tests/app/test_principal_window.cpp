// The server window's closing, tray hiding and buttons, with the message dialog answered
// through its test seam.

#include "TestTerminal.h"
#include "TestWindow.h"

#include "app/Principal.h"
#include "platform/Codepage.h"
#include "ui/Msg.h"

#include <QCheckBox>
#include <QLabel>
#include <QSystemTrayIcon>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vorn;
using namespace vorn::test;
using app::TFPrincipal;

namespace {

using Window = TestWindow;

int logCount(TFPrincipal& w) {
    return w.memLogs().recordCount();
}

} // namespace

TEST(PrincipalWindow, TrayAndWindowCarryTheProgramIcon) {
    // The tray entry is the only way back to a hidden server: it must have a picture.
    Window win;
    ASSERT_NE(win.w->TrayPrinc, nullptr);
    EXPECT_FALSE(win.w->TrayPrinc->icon().isNull());
    EXPECT_FALSE(win.w->TrayPrinc->icon().pixmap(22, 22).isNull());
    EXPECT_FALSE(win.w->windowIcon().isNull());
}

TEST(PrincipalWindow, ClosingTheShownWindowHidesItAndTerminalsAreStillAnswered) {
    Window win;
    win.w->show();
    ui::ScopedMsgAnswers answers;
    EXPECT_FALSE(win.w->close());
    EXPECT_FALSE(win.w->isVisible());
    ASSERT_EQ(answers.shown().size(), 1u);
    EXPECT_TRUE(answers.shown()[0].mensagem.contains("será apenas minimizado"));
    EXPECT_EQ(win.w->MenuSair->text(), "Encerrar Servidor Rarud Erevur");

    TestTerminal terminal(win.folder.terminalPort());
    terminal.scan("7891000100011");
    const auto answer = terminal.answer();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->kind, terminal::protocol::Kind::Found);
}

TEST(PrincipalWindow, TheHiddenWindowClosesOnlyAfterYes) {
    Window win;
    win.w->show();
    {
        ui::ScopedMsgAnswers quiet;
        win.w->close(); // hides it
    }
    ui::ScopedMsgAnswers answers{ui::MsgAnswer::nao(), ui::MsgAnswer::sim()};
    win.w->MenuSairClick();
    ASSERT_EQ(answers.shown().size(), 1u);
    EXPECT_TRUE(answers.shown()[0].mensagem.contains("Gostaria de interromper a execução?"));
    EXPECT_TRUE(answers.shown()[0].mensagem.contains("impedirá que terminais consultem preços."));
    EXPECT_TRUE(timer(*win.w, "TimerTerminaisConectados")->isActive()); // still serving
    EXPECT_EQ(win.encerramentos, 0);
    EXPECT_TRUE(win.w->close()); // "Sim"
    EXPECT_EQ(win.encerramentos, 1);
}

TEST(PrincipalWindow, RestoringReloadsTheCacheAndStartsTheHidingAgain) {
    Window win;
    win.w->show();
    {
        ui::ScopedMsgAnswers quiet;
        win.w->close();
    }
    timer(*win.w, "TimerHideApp")->stop();
    ASSERT_EQ(win.w->memPrecos().recordCount(), 12);
    // A product leaves the shop's catalogue while the window is hidden; showing it again
    // reloads the cache from the database.
    runTestSql((win.folder.dir() / "Dados" / "KALUNDRA.FDB").string(),
               "UPDATE PRODUTOS SET ATIVO='N' WHERE CODIGO=1;");
    win.w->TrayPrincClick();
    EXPECT_TRUE(win.w->isVisible());
    EXPECT_EQ(win.w->memPrecos().recordCount(), 11);
    EXPECT_TRUE(timer(*win.w, "TimerHideApp")->isActive());
    EXPECT_EQ(win.w->MenuSair->text(), "Minimizar");

    // "Não Minimizar" keeps the window shown at the next tick; unticked, the tick hides it.
    win.w->BoxNaoMinimizar->setChecked(true);
    win.w->TimerHideAppTimer();
    EXPECT_TRUE(win.w->isVisible());
    win.w->BoxNaoMinimizar->setChecked(false);
    win.w->TimerHideAppTimer();
    EXPECT_FALSE(win.w->isVisible());
    EXPECT_FALSE(timer(*win.w, "TimerHideApp")->isActive());
}

TEST(PrincipalWindow, ClearingTheLogAsksFirst) {
    Window win;
    ASSERT_EQ(logCount(*win.w), 1);
    {
        ui::ScopedMsgAnswers answers{ui::MsgAnswer::nao()};
        win.w->BotLimpaLogsClick();
        ASSERT_EQ(answers.shown().size(), 1u);
        EXPECT_EQ(answers.shown()[0].mensagem.trimmed(), "Confirma?");
    }
    EXPECT_EQ(logCount(*win.w), 1);
    ui::ScopedMsgAnswers answers{ui::MsgAnswer::sim()};
    win.w->BotLimpaLogsClick();
    EXPECT_EQ(logCount(*win.w), 0);
}

TEST(PrincipalWindow, RestartingTheServerListensAnewOrSaysItFailed) {
    Window win;
    TestTerminal before(win.folder.terminalPort());
    {
        ui::ScopedMsgAnswers answers;
        win.w->JvXPButton1Click();
        ASSERT_EQ(answers.shown().size(), 1u);
        EXPECT_EQ(answers.shown()[0].mensagem.trimmed(), "Servidor reiniciado com sucesso.");
    }
    ASSERT_EQ(logCount(*win.w), 1); // the list was emptied, then the start row written
    EXPECT_TRUE(timer(*win.w, "TimerEnvia")->isActive());
    TestTerminal after(win.folder.terminalPort());
    after.scan("7891000100011");
    ASSERT_TRUE(after.answer().has_value());

    // A port that cannot be used: the start fails and says so.
    win.folder.writeTerminalSettings("");
    writeFile(win.folder.dir() / "sc501ger.ini", "[Servidor]\r\nPorta=0\r\n");
    ui::ScopedMsgAnswers answers;
    win.w->JvXPButton1Click();
    ASSERT_EQ(answers.shown().size(), 1u);
    // The message says why: the library refused its settings file.
    const QString mensagem = answers.shown()[0].mensagem.trimmed();
    EXPECT_TRUE(mensagem.startsWith("Não foi possível ativar o servidor"))
        << mensagem.toStdString();
    EXPECT_TRUE(mensagem.contains("configuração inválida dos terminais")) << mensagem.toStdString();
    EXPECT_TRUE(mensagem.contains("Porta=0")) << mensagem.toStdString();
    EXPECT_FALSE(timer(*win.w, "TimerEnvia")->isActive());
    EXPECT_FALSE(win.w->LabelTemErro->isHidden());
    const data::MemTable& logs = win.w->memLogs();
    ASSERT_EQ(logs.recordCount(), 2);
    EXPECT_EQ(logs.valueAt(1, logs.indexOf("CONTEUDO")),
              data::Value(platform::utf8ToAnsi("Falha na ativação do servidor")));
    EXPECT_TRUE(
        std::get<std::string>(logs.valueAt(2, logs.indexOf("CONTEUDO"))).starts_with("configura"));
    // Nothing listens while terminals would not be answered.
    EXPECT_FALSE(TestTerminal::listening(win.folder.terminalPort()));
}

TEST(PrincipalWindow, TerminalsAreAnsweredWhileADialogWaits) {
    Window win;
    TestTerminal terminal(win.folder.terminalPort());
    terminal.scan("7891000100011");
    std::optional<terminal::protocol::Message> answer;
    // The dialog's own loop runs the window's timers; this one only watches the terminal.
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!answer)
            answer = terminal.poll();
        if (answer && win.msg.isVisible())
            win.msg.done(0);
    });
    QTimer::singleShot(10000, &win.msg, [&] { win.msg.done(0); }); // watchdog
    watch.start();
    win.msg.AvisoOutros(QStringLiteral("Uma mensagem aguarda o operador."));
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->kind, terminal::protocol::Kind::Found);
}
