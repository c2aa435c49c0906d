#include "ui/MeuEdit.h"

#include "common/NumberPattern.h"
#include "ui/EventGuard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QProxyStyle>
#include <cmath>
#include <limits>
#include <map>

namespace vorn::ui {

namespace {

// Password characters: QLineEdit asks its style for the character, so edits with a password
// character of their own get a style that answers it. One style per character, owned by the
// application (it outlives every widget).
class EstiloSenha : public QProxyStyle {
public:
    explicit EstiloSenha(QChar caractere) : caractere_(caractere) { setParent(qApp); }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return caractere_.unicode();
        if (hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }

private:
    QChar caractere_;
};

QStyle* estiloSenha(QChar caractere) {
    static std::map<char16_t, QPointer<EstiloSenha>> estilos;
    auto& estilo = estilos[caractere.unicode()];
    if (estilo.isNull())
        estilo = new EstiloSenha(caractere); // owned by the application
    return estilo.data();
}

std::int32_t ParteInteira(double valor) {
    const double inteiro = std::trunc(valor);
    if (inteiro >= std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (inteiro <= std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(inteiro);
}

} // namespace

double TextoParaNumero(const QString& texto, double padrao, const QLocale& locale) {
    QLocale leitura = locale;
    leitura.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double valor = leitura.toDouble(texto.trimmed(), &ok);
    return ok && std::isfinite(valor) ? valor : padrao;
}

QString RemovePontos(const QString& texto) {
    QString resultado = texto;
    resultado.remove(QLatin1Char('.'));
    return resultado;
}

TMeuEdit::TMeuEdit(QWidget* parent) : QLineEdit(parent) {
    // The change rule runs before any listener of textChanged connected later.
    connect(this, &QLineEdit::textChanged, this, [this] { Change(); });
    QPalette cores = palette();
    cores.setColor(QPalette::Base, QColor(253, 247, 250));
    cores.setColor(QPalette::Text, Qt::black);
    setPalette(cores);
    setFrame(false); // the flat look
    QFont fonte(QStringLiteral("Arial"));
    fonte.setPointSize(10);
    setFont(fonte);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

TMeuEdit::~TMeuEdit() = default;

void TMeuEdit::SetAlignment(Qt::Alignment valor) {
    valor &= Qt::AlignHorizontal_Mask;
    if (valor == fAlignment)
        return;
    fAlignment = valor;
    setAlignment(valor | Qt::AlignVCenter);
}

void TMeuEdit::SetEditType(TwbrEditTypes valor) {
    if (valor == fEditType)
        return;
    fEditType = valor;
    Reformata();
}

void TMeuEdit::SetValidChars(const QString& valor) {
    fValidChars = valor;
}

void TMeuEdit::SetValueFormat(const QString& valor) {
    if (valor == fValueFormat)
        return;
    fValueFormat = valor;
    Reformata();
}

void TMeuEdit::SetValueNumeric(double valor) {
    if (valor == fValueNumeric)
        return;
    fValueNumeric = valor;
    setText(Formata(valor));
}

void TMeuEdit::SetValueInteger(std::int32_t valor) {
    if (valor == fValueInteger)
        return;
    fValueInteger = valor;
    setText(QString::number(valor));
}

void TMeuEdit::SetExitOnEnterKey(bool valor) {
    if (valor == bExitOnEnterKey)
        return;
    bExitOnEnterKey = valor;
    if (valor && bMultiline)
        SetMultiLine(false);
}

void TMeuEdit::SetMultiLine(bool valor) {
    if (valor == bMultiline)
        return;
    bMultiline = valor;
    if (valor) {
        bExitOnEnterKey = false;
        return;
    }
    // Every carriage return goes, with the character after it (the line feed of a line break).
    const QString atual = text();
    QString semQuebras;
    semQuebras.reserve(atual.size());
    for (qsizetype i = 0; i < atual.size(); ++i) {
        if (atual[i] == QLatin1Char('\r'))
            ++i;
        else
            semQuebras += atual[i];
    }
    if (semQuebras != atual)
        setText(semQuebras);
}

void TMeuEdit::SetWordWrap(bool valor) {
    bWordWrap = valor;
}

void TMeuEdit::SetPasswordChar(QChar valor) {
    if (valor == fPasswordChar)
        return;
    fPasswordChar = valor;
    if (valor.isNull()) {
        setEchoMode(QLineEdit::Normal);
        setStyle(nullptr);
    } else {
        setStyle(estiloSenha(valor));
        setEchoMode(QLineEdit::Password);
    }
}

QString TMeuEdit::Formata(double valor) const {
    return common::formatNumberPattern(fValueFormat, common::Decimal::fromDouble(valor), locale());
}

void TMeuEdit::Reformata() {
    if (fEditType == TwbrEditTypes::wbrNumeric)
        setText(Formata(fValueNumeric));
    else if (fEditType == TwbrEditTypes::wbrInteger)
        setText(QString::number(fValueInteger));
}

void TMeuEdit::Change() {
    if (fEditType != TwbrEditTypes::wbrString && !text().isEmpty()) {
        // The group separators of the locale go before the text is read, so a thousands
        // separator typed or shown never stops the reading ("." in a Brazilian locale).
        QString semGrupos = text();
        semGrupos.remove(locale().groupSeparator());
        fValueNumeric = TextoParaNumero(semGrupos, 0, locale());
        fValueInteger = ParteInteira(fValueNumeric);
    } else {
        fValueNumeric = 0;
        fValueInteger = 0;
    }
}

void TMeuEdit::keyPressEvent(QKeyEvent* event) {
    runGuarded([&] {
        const QString texto = event->text();
        if (texto.size() != 1) {
            // Keys without a character (arrows, Delete, Home) are never filtered.
            QLineEdit::keyPressEvent(event);
            return;
        }
        QChar c = texto[0];
        const QChar backspace(8), enter(13), escape(27), nada(0);
        if (!fValidChars.isEmpty() && !fValidChars.contains(c) && c != backspace && c != enter)
            c = nada;

        if (fEditType == TwbrEditTypes::wbrNumeric && c != nada) {
            const QString decimal = locale().decimalPoint();
            if (c == QLatin1Char('.') && decimal.size() == 1)
                c = decimal[0];
            const bool permitido = c == backspace || c == enter || c == escape ||
                                   c == QLatin1Char('%') || c == QLatin1Char('-') ||
                                   (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                                   QString(c) == decimal;
            // A key outside the allowed set, or a second decimal separator, types nothing.
            if (!permitido || (QString(c) == decimal && text().contains(decimal)))
                c = nada;
            else if (c == QLatin1Char('-')) {
                const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
                if (text().contains(QLatin1Char('-')) || caret != 0)
                    c = nada;
            }
        } else if (fEditType == TwbrEditTypes::wbrInteger && c != nada) {
            const bool permitido = c == backspace || c == enter || c == escape ||
                                   (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
            if (!permitido)
                c = nada;
        }

        if (c == enter) {
            if (bExitOnEnterKey) {
                QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
                QApplication::sendEvent(this, &tab);
                event->accept();
                return;
            }
            if (!bMultiline) {
                event->accept();
                return;
            }
            insert(QStringLiteral("\r\n"));
            event->accept();
            return;
        }
        if (c == nada) {
            event->accept();
            return;
        }
        if (c != texto[0]) {
            QKeyEvent trocado(event->type(), event->key(), event->modifiers(), QString(c),
                              event->isAutoRepeat(), static_cast<quint16>(event->count()));
            QLineEdit::keyPressEvent(&trocado);
            event->setAccepted(trocado.isAccepted());
            return;
        }
        QLineEdit::keyPressEvent(event);
    });
}

// Focus events that only say the window was activated or deactivated (another window in front,
// the dialog closing) are not entering or leaving the field: they re-format nothing.
void TMeuEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason && bDentro)
        return;
    bDentro = true;
    runGuarded([&] {
        // An empty field stays empty on entering, so a request without a default starts empty.
        if (!text().isEmpty())
            Reformata();
        if (bAutoSelect)
            selectAll();
    });
}

void TMeuEdit::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        bDentro = false;
        runGuarded([&] { Reformata(); });
    }
    QLineEdit::focusOutEvent(event);
}

void TMeuEdit::hideEvent(QHideEvent* event) {
    bDentro = false;
    QLineEdit::hideEvent(event);
}

} // namespace vorn::ui
