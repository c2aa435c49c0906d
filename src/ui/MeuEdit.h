#pragma once

// TMeuEdit: the program's own single-line input control, a QLineEdit with an edit type (free
// text, decimal number, whole number), character filtering, a display pattern for numbers, the
// numeric value kept beside the text, and a choice of what Enter does. Numbers are read and shown
// with the widget's locale (QWidget::locale(), the application's default unless set).
// User-interface thread only.

#include <QLineEdit>
#include <QLocale>
#include <QString>
#include <cstdint>

namespace vorn::ui {

enum class TwbrEditTypes { wbrString, wbrNumeric, wbrInteger };

// `texto` read as a decimal number with the locale's decimal separator (no group separators,
// blanks around it allowed); `padrao` when it does not read as a finite number.
double TextoParaNumero(const QString& texto, double padrao, const QLocale& locale = QLocale());
// `texto` without any "." character.
QString RemovePontos(const QString& texto);

class TMeuEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TMeuEdit(QWidget* parent = nullptr);
    ~TMeuEdit() override;

    Qt::Alignment Alignment() const { return fAlignment; }
    void SetAlignment(Qt::Alignment valor);
    TwbrEditTypes EditType() const { return fEditType; }
    void SetEditType(TwbrEditTypes valor);
    QString ValidChars() const { return fValidChars; }
    void SetValidChars(const QString& valor);
    QString ValueFormat() const { return fValueFormat; }
    void SetValueFormat(const QString& valor);
    double ValueNumeric() const { return fValueNumeric; }
    void SetValueNumeric(double valor);
    std::int32_t ValueInteger() const { return fValueInteger; }
    void SetValueInteger(std::int32_t valor);
    bool ExitOnEnterKey() const { return bExitOnEnterKey; }
    void SetExitOnEnterKey(bool valor);
    bool MultiLine() const { return bMultiline; }
    void SetMultiLine(bool valor);
    // Kept for the control's interface; a single-line edit scrolls its text either way.
    bool WordWrap() const { return bWordWrap; }
    void SetWordWrap(bool valor);
    // Entering the field selects its whole text (on by default).
    bool AutoSelect() const { return bAutoSelect; }
    void SetAutoSelect(bool valor) { bAutoSelect = valor; }
    // The character shown in place of each typed one; a null character shows the text.
    QChar PasswordChar() const { return fPasswordChar; }
    void SetPasswordChar(QChar valor);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Change();
    void Reformata();
    QString Formata(double valor) const;

    Qt::Alignment fAlignment = Qt::AlignLeft;
    TwbrEditTypes fEditType = TwbrEditTypes::wbrString;
    QString fValidChars;
    QString fValueFormat = QStringLiteral("#,##0.00");
    double fValueNumeric = 0;
    std::int32_t fValueInteger = 0;
    bool bExitOnEnterKey = false;
    bool bMultiline = false;
    bool bWordWrap = false;
    bool bAutoSelect = true;
    QChar fPasswordChar;
    bool bDentro = false; // the focus is in the field (not merely in an inactive window)
};

} // namespace vorn::ui
