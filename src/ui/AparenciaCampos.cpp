#include "ui/AparenciaCampos.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace vorn::ui {

namespace {

enum class Classe { Edit, Lista, Memo, Data, Painel, Outra };

Classe ClasseDe(const QWidget* campo) {
    if (qobject_cast<const QLineEdit*>(campo))
        return Classe::Edit;
    if (qobject_cast<const QComboBox*>(campo))
        return Classe::Lista;
    if (qobject_cast<const QPlainTextEdit*>(campo) || qobject_cast<const QTextEdit*>(campo))
        return Classe::Memo;
    if (qobject_cast<const QDateTimeEdit*>(campo))
        return Classe::Data;
    if (campo->metaObject() == &QFrame::staticMetaObject)
        return Classe::Painel;
    return Classe::Outra;
}

void PintaFundo(QWidget* campo, const QColor& cor, QPalette::ColorRole papel = QPalette::Base) {
    QPalette cores = campo->palette();
    cores.setColor(papel, cor);
    campo->setPalette(cores);
    if (papel == QPalette::Window)
        campo->setAutoFillBackground(true);
}

void SomenteLeitura(QWidget* campo, bool valor) {
    if (auto* edit = qobject_cast<QLineEdit*>(campo))
        edit->setReadOnly(valor);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(campo))
        memo->setReadOnly(valor);
    else if (auto* texto = qobject_cast<QTextEdit*>(campo))
        texto->setReadOnly(valor);
}

// Off: reachable by a click but skipped by Tab.
void ParadaTab(QWidget* campo, bool valor) {
    campo->setFocusPolicy(valor ? Qt::StrongFocus : Qt::ClickFocus);
}

void AplicaAparencia(QWidget* campo, bool bloqueado) {
    const QColor cor = bloqueado ? kCorBloqueado : kCorLiberado;
    switch (ClasseDe(campo)) {
    case Classe::Edit:
    case Classe::Memo:
        SomenteLeitura(campo, bloqueado);
        PintaFundo(campo, cor);
        ParadaTab(campo, !bloqueado);
        break;
    case Classe::Lista:
        PintaFundo(campo, cor);
        PintaFundo(campo, cor, QPalette::Button);
        ParadaTab(campo, !bloqueado);
        campo->setEnabled(!bloqueado);
        break;
    case Classe::Data:
        campo->setEnabled(!bloqueado);
        PintaFundo(campo, cor);
        ParadaTab(campo, !bloqueado);
        break;
    case Classe::Painel:
        PintaFundo(campo, bloqueado ? kCorPainelBloqueado : kCorPainelLiberado, QPalette::Window);
        campo->setEnabled(!bloqueado);
        break;
    case Classe::Outra:
        break;
    }
}

} // namespace

void BloqueiaCampo(QWidget* campo) {
    if (campo == nullptr)
        return;
    if (campo->hasFocus()) {
        EnviaTab();
        QApplication::processEvents();
    }
    AplicaAparencia(campo, true);
}

void LiberaCampo(QWidget* campo) {
    if (campo == nullptr)
        return;
    AplicaAparencia(campo, false);
    QApplication::processEvents();
}

void EnviaTab() {
    QWidget* focado = QApplication::focusWidget();
    if (focado == nullptr)
        return;
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QApplication::sendEvent(focado, &tab);
}

void CentralizaControle(QWidget* controle, const QWidget* pai, std::uint8_t modoHorizontal,
                        bool centralizaVertical) {
    if (controle == nullptr || pai == nullptr)
        return;
    int topo = controle->y();
    if (centralizaVertical)
        topo = (pai->height() - controle->height()) / 2;
    const int metade = pai->width() / 2;
    int esquerda = controle->x();
    if (modoHorizontal == 0)
        esquerda = (metade - controle->width()) / 2;
    else if (modoHorizontal == 1)
        esquerda = metade + (metade - controle->width()) / 2;
    else if (modoHorizontal == 2)
        esquerda = (pai->width() - controle->width()) / 2;
    controle->move(esquerda, topo);
}

} // namespace vorn::ui
