#include "ui/AparenciaCampos.h"

#include "ui/MeuEdit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

using namespace vorn::ui;

namespace {

class AparenciaTest : public testing::Test {
protected:
    void SetUp() override {
        first = new QLineEdit(&window);
        second = new QLineEdit(&window);
        third = new QLineEdit(&window);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QWidget window;
    QLineEdit* first = nullptr;
    QLineEdit* second = nullptr;
    QLineEdit* third = nullptr;
};

TEST_F(AparenciaTest, LockingTheFocusedEditMovesTheFocusOnAndTabSkipsIt) {
    second->setFocus();
    BloqueiaCampo(second);
    EXPECT_TRUE(third->hasFocus());
    EXPECT_TRUE(second->isReadOnly());
    EXPECT_TRUE(second->isEnabled());
    EXPECT_EQ(second->palette().color(QPalette::Base), kCorBloqueado);

    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_TRUE(third->hasFocus());

    LiberaCampo(second);
    EXPECT_FALSE(second->isReadOnly());
    EXPECT_EQ(second->palette().color(QPalette::Base), kCorLiberado);
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_TRUE(second->hasFocus());
}

TEST_F(AparenciaTest, EachKindOfControl) {
    TMeuEdit meu(&window);
    QComboBox list(&window);
    QPlainTextEdit memo(&window);
    QDateEdit date(&window);
    QFrame panel(&window);
    QPushButton button("b", &window);
    QLabel label("l", &window);

    for (QWidget* w :
         std::initializer_list<QWidget*>{&meu, &list, &memo, &date, &panel, &button, &label})
        BloqueiaCampo(w);
    EXPECT_TRUE(meu.isReadOnly());
    EXPECT_TRUE(meu.isEnabled());
    EXPECT_EQ(meu.focusPolicy(), Qt::ClickFocus);
    EXPECT_FALSE(list.isEnabled());
    EXPECT_EQ(list.palette().color(QPalette::Base), kCorBloqueado);
    EXPECT_TRUE(memo.isReadOnly());
    EXPECT_FALSE(date.isEnabled());
    EXPECT_FALSE(panel.isEnabled());
    EXPECT_TRUE(button.isEnabled());
    EXPECT_EQ(button.focusPolicy(), Qt::StrongFocus);
    EXPECT_TRUE(label.isEnabled());
    EXPECT_FALSE(label.autoFillBackground());

    for (QWidget* w : std::initializer_list<QWidget*>{&meu, &list, &memo, &date, &panel})
        LiberaCampo(w);
    EXPECT_FALSE(meu.isReadOnly());
    EXPECT_EQ(meu.focusPolicy(), Qt::StrongFocus);
    EXPECT_TRUE(list.isEnabled());
    EXPECT_EQ(list.palette().color(QPalette::Base), kCorLiberado);
    EXPECT_FALSE(memo.isReadOnly());
    EXPECT_TRUE(date.isEnabled());
    EXPECT_TRUE(panel.isEnabled());
}

TEST_F(AparenciaTest, EnviaTabMovesTheFocus) {
    first->setFocus();
    EnviaTab();
    EXPECT_TRUE(second->hasFocus());
}

TEST(CentralizaControle, HalvesAndWhole) {
    QWidget parent;
    parent.resize(523, 45);
    QWidget button(&parent);
    button.setGeometry(3, 4, 109, 28);
    const std::pair<int, int> modes[] = {{0, 76}, {1, 337}, {2, 207}, {3, 207}};
    for (const auto& [mode, left] : modes) {
        CentralizaControle(&button, &parent, static_cast<std::uint8_t>(mode), mode == 2);
        EXPECT_EQ(button.x(), left) << mode;
    }
    EXPECT_EQ(button.y(), 8);
}

TEST(CapsLock, HeadlessThereIsNoKeyboardState) {
    EXPECT_FALSE(CapsLockAtivo());
}

// A private X server whose Caps Lock the test switches on and off.
TEST(CapsLock, ReadsTheXKeyboardIndicator) {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    if (xvfb.isEmpty())
        GTEST_SKIP() << "Xvfb is not installed";
    QProcess server;
    server.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "64x64x24"});
    ASSERT_TRUE(server.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.canReadLine(); }, 15000));
    const QByteArray name = ":" + server.readLine().trimmed();
    Display* display = XOpenDisplay(name.constData());
    ASSERT_NE(display, nullptr);
    for (const bool on : {true, false, true}) {
        XkbLockModifiers(display, XkbUseCoreKbd, LockMask, on ? LockMask : 0);
        XSync(display, 0);
        EXPECT_EQ(CapsLockNoDisplayX11(name.constData()), std::optional<bool>(on));
    }
    XCloseDisplay(display);
    server.terminate();
    server.waitForFinished();
    EXPECT_EQ(CapsLockNoDisplayX11(":999"), std::nullopt);
}

} // namespace
