// Caps Lock from the X keyboard indicator state. The X11 headers come last and stay in this file:
// they define None, KeyPress, Bool and other names that clash with Qt's.
#include "ui/AparenciaCampos.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace vorn::ui {

namespace {

std::optional<bool> CapsLockDe(Display* display) {
    XkbStateRec estado{};
    if (XkbGetState(display, XkbUseCoreKbd, &estado) != Success)
        return std::nullopt;
    return (estado.locked_mods & LockMask) != 0;
}

} // namespace

std::optional<bool> CapsLockNoDisplayX11(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr)
        return std::nullopt;
    const std::optional<bool> ligado = CapsLockDe(display);
    XCloseDisplay(display);
    return ligado;
}

bool CapsLockAtivo() {
    // Only a program shown on X11 reads the X keyboard; headless and other platforms have no
    // keyboard state to read.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        return CapsLockDe(x11->display()).value_or(false);
    return CapsLockNoDisplayX11(nullptr).value_or(false);
}

} // namespace vorn::ui
