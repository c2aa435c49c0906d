#pragma once

// Field appearance and keyboard helpers shared by the windows: the locked (read-only) and the
// editable look of input controls, moving the focus on with a Tab key, the Caps Lock state, and
// centring a control in its parent. No state; user-interface thread only; they return at once.

#include <QColor>
#include <QWidget>
#include <cstdint>
#include <optional>

namespace vorn::ui {

inline const QColor kCorBloqueado(179, 206, 225); // light steel blue
inline const QColor kCorLiberado(252, 239, 247);  // very light pink
// The panel colours of the locked and editable looks (no caller passes a panel in this system).
inline const QColor kCorPainelBloqueado(179, 206, 225);
inline const QColor kCorPainelLiberado(240, 240, 240);

// Controls are told apart by Qt class, first match wins:
//   edits (QLineEdit and every class derived from it: TMeuEdit, masked and labelled edits)
//     - read-only, colour, no Tab stop, enabled unchanged;
//   drop-down lists (QComboBox) - colour, no Tab stop, disabled (Qt lists have no read-only
//     state; data-bound and lookup lists do not exist apart from it);
//   memos (QPlainTextEdit, QTextEdit) - as edits;
//   date pickers (QDateTimeEdit and QDateEdit) - disabled, then colour, no Tab stop;
//   panels (a widget of class QFrame itself) - panel colour, disabled;
//   anything else (buttons, labels, ...) - left alone.
// When the control has the focus, a Tab moves it on first (EnviaTab) and pending events are
// processed, so the focus never stays on a locked field.
void BloqueiaCampo(QWidget* campo);
// The editable look by the same table (read-only cleared, colour, Tab stop on, enabled), then
// pending events are processed.
void LiberaCampo(QWidget* campo);

// Sends a Tab key press to the widget that has the keyboard focus, which moves the focus to the
// next control in tab order. No key release follows. Does nothing when no widget has the focus.
void EnviaTab();

// True when Caps Lock is on. Read from the X keyboard indicator state when the program runs on
// X11; false where no keyboard state can be read (other platforms, headless runs).
bool CapsLockAtivo();
// The Caps Lock state of the X display `displayName` (nullptr: $DISPLAY); std::nullopt when the
// display cannot be opened.
std::optional<bool> CapsLockNoDisplayX11(const char* displayName);

// Places `controle` in `pai`: `modoHorizontal` 0 centres it in the left half, 1 in the right half,
// 2 in the whole width, any other value leaves its left edge; with `centralizaVertical` it is
// centred in the height as well. Divisions truncate toward zero.
void CentralizaControle(QWidget* controle, const QWidget* pai, std::uint8_t modoHorizontal,
                        bool centralizaVertical);

} // namespace vorn::ui
