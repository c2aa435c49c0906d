#include "ui/MeuEdit.h"

#include "ui/DialogTestSupport.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

using namespace vorn::ui;

namespace {

// A window with the edit between two other fields, so the focus can enter and leave it.
class MeuEditTest : public testing::Test {
protected:
    void SetUp() override {
        before = new QLineEdit(&window);
        edit = new TMeuEdit(&window);
        after = new QLineEdit(&window);
        edit->move(0, 30);
        after->move(0, 60);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }

    void leaveAndEnter() {
        after->setFocus(Qt::TabFocusReason);
        left = edit->text();
        edit->setFocus(Qt::TabFocusReason);
    }

    vorn::test::PinnedBrazilianLocale locale;
    QWidget window;
    QLineEdit* before = nullptr;
    TMeuEdit* edit = nullptr;
    QLineEdit* after = nullptr;
    QString left;
};

TEST_F(MeuEditTest, DecimalTypingKeepsTheValueAndFocusFormatsIt) {
    edit->SetEditType(TwbrEditTypes::wbrNumeric);
    edit->clear();
    QTest::keyClicks(edit, "1234,5");
    EXPECT_EQ(edit->text(), "1234,5");
    EXPECT_DOUBLE_EQ(edit->ValueNumeric(), 1234.5);
    EXPECT_EQ(edit->ValueInteger(), 1234);
    leaveAndEnter();
    EXPECT_EQ(left, "1.234,50");
    EXPECT_EQ(edit->text(), "1.234,50");
    EXPECT_EQ(edit->selectedText(), "1.234,50");
    // The shown thousands separator does not change the value.
    EXPECT_DOUBLE_EQ(edit->ValueNumeric(), 1234.5);
}

TEST_F(MeuEditTest, DecimalKeyFilter) {
    edit->SetEditType(TwbrEditTypes::wbrNumeric);
    struct Case {
        QString typed;
        QString text;
        double value;
    };
    const Case cases[] = {
        {"1.5", "1,5", 1.5},                         // "." is the decimal comma
        {"1,2,3", "1,23", 1.23},                     // a second comma is refused
        {"-5-", "-5", -5},                           // minus only first and once
        {"5-", "5", 5},          {"a1b2", "12", 12}, // letters are refused
        {"5%", "5%", 0}, // "%" passes and the text no longer reads as a number
    };
    for (const Case& c : cases) {
        edit->clear();
        QTest::keyClicks(edit, c.typed);
        EXPECT_EQ(edit->text(), c.text) << c.typed.toStdString();
        EXPECT_DOUBLE_EQ(edit->ValueNumeric(), c.value) << c.typed.toStdString();
    }
    // Emptying the field zeroes both values; leaving it shows 0,00.
    edit->clear();
    EXPECT_EQ(edit->ValueNumeric(), 0);
    EXPECT_EQ(edit->ValueInteger(), 0);
    after->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit->text(), "0,00");
}

TEST_F(MeuEditTest, WholeNumberAndValidCharsFilters) {
    edit->SetEditType(TwbrEditTypes::wbrInteger);
    edit->clear();
    QTest::keyClicks(edit, "4-2,a.");
    EXPECT_EQ(edit->text(), "42");
    EXPECT_EQ(edit->ValueInteger(), 42);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "4");

    edit->SetEditType(TwbrEditTypes::wbrString);
    edit->SetValidChars("ABC");
    edit->clear();
    QTest::keyClicks(edit, "AxBbC1");
    EXPECT_EQ(edit->text(), "ABC");
    EXPECT_EQ(edit->ValueNumeric(), 0);
}

TEST_F(MeuEditTest, EnterMovesOnStaysOrBreaksTheLine) {
    edit->setText("abc");
    edit->SetExitOnEnterKey(true);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(after->hasFocus());
    EXPECT_EQ(edit->text(), "abc");

    edit->SetExitOnEnterKey(false);
    edit->setFocus();
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->text(), "abc");

    edit->SetMultiLine(true);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "d");
    EXPECT_EQ(edit->text(), "abc\r\nd");
    // Exiting on Enter switches the multi-line mode off, and its line breaks go.
    edit->SetExitOnEnterKey(true);
    EXPECT_FALSE(edit->MultiLine());
    EXPECT_EQ(edit->text(), "abcd");
}

TEST_F(MeuEditTest, SettersFormatAndTheChangeRuleFollows) {
    edit->SetEditType(TwbrEditTypes::wbrNumeric);
    QSignalSpy changes(edit, &QLineEdit::textChanged);
    double seenByListener = -1;
    QObject::connect(edit, &QLineEdit::textChanged, [&] { seenByListener = edit->ValueNumeric(); });
    edit->SetValueNumeric(2.346);
    EXPECT_EQ(edit->text(), "2,35");
    EXPECT_DOUBLE_EQ(edit->ValueNumeric(), 2.35);
    EXPECT_DOUBLE_EQ(seenByListener, 2.35); // listeners see the values already updated
    EXPECT_FALSE(changes.isEmpty());

    edit->SetValueInteger(7);
    EXPECT_EQ(edit->text(), "7");
    edit->SetValueFormat("0.000");
    EXPECT_EQ(edit->text(), "7,000");

    edit->SetEditType(TwbrEditTypes::wbrString);
    edit->SetValueNumeric(3.5);
    EXPECT_EQ(edit->text(), "3,500");
    EXPECT_EQ(edit->ValueNumeric(), 0);
    EXPECT_EQ(edit->ValueInteger(), 0);
}

TEST_F(MeuEditTest, HugeValuesKeepTheWholePartWithinItsRange) {
    edit->SetEditType(TwbrEditTypes::wbrNumeric);
    edit->setText("99999999999");
    EXPECT_DOUBLE_EQ(edit->ValueNumeric(), 99999999999.0);
    EXPECT_EQ(edit->ValueInteger(), std::numeric_limits<std::int32_t>::max());
    edit->setText("-99999999999");
    EXPECT_EQ(edit->ValueInteger(), std::numeric_limits<std::int32_t>::min());
}

TEST(MeuEditFunctions, TextoParaNumeroAndRemovePontos) {
    const QLocale br(QLocale::Portuguese, QLocale::Brazil),
        us(QLocale::English, QLocale::UnitedStates);
    EXPECT_DOUBLE_EQ(TextoParaNumero("12,5", 0, br), 12.5);
    EXPECT_DOUBLE_EQ(TextoParaNumero(" -3 ", 0, br), -3);
    EXPECT_DOUBLE_EQ(TextoParaNumero("12.5", 0, us), 12.5);
    for (const char* bad : {"1.234,5", "abc", "", "%", "nan", "inf", "1e999"})
        EXPECT_DOUBLE_EQ(TextoParaNumero(bad, -7, br), -7) << bad;
    EXPECT_EQ(RemovePontos("1.234.567,8"), "1234567,8");
}

TEST(MeuEditLocale, AnEnglishLocaleReadsItsDecimalPoint) {
    QWidget window;
    TMeuEdit edit(&window);
    edit.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    edit.SetEditType(TwbrEditTypes::wbrNumeric);
    edit.clear();
    QTest::keyClicks(&edit, "1.5");
    EXPECT_DOUBLE_EQ(edit.ValueNumeric(), 1.5);
    edit.setText("1,234.5");
    EXPECT_DOUBLE_EQ(edit.ValueNumeric(), 1234.5);
}

} // namespace
