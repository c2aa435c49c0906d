// bpvorn: the price-check server. One instance per user session (outside remote sessions); the
// server window's creation is the whole start-up; the program runs until the window is closed
// from the tray menu, or until SIGTERM, SIGINT or SIGHUP.

#include "app/CommandLine.h"
#include "app/IconePrograma.h"
#include "app/Principal.h"
#include "app/RegistroConsole.h"
#include "common/ProgramName.h"
#include "platform/GuardName.h"
#include "platform/MessageBox.h"
#include "platform/QuitSignals.h"
#include "platform/RemoteSession.h"
#include "platform/SingleInstanceGuard.h"
#include "ui/DataModP.h"
#include "ui/EventGuard.h"
#include "ui/Msg.h"
#include "ui/Progressos.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

// Without a display the server runs headless on Qt's offscreen platform: message boxes go to
// standard error and the window is never seen, but every timer runs.
void escolhePlataforma() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

int executa(int argc, char** argv) {
    escolhePlataforma();
    QApplication app(argc, argv);

    vorn::platform::SingleInstanceGuard guarda;
    const bool tomada = guarda.tryAcquire(vorn::platform::guardName());
    if (!vorn::platform::isRemoteSession() && !tomada) {
        vorn::platform::showMessageBox(
            QStringLiteral("Ocorrência de erro"),
            QStringLiteral("O Sistema VORN já está em execução nesta máquina. Não é possível "
                           "abrir o programa em duas instâncias!"),
            vorn::platform::MessageIcon::NoIcon);
        return 0;
    }

    // The application name only: a display name would make Qt append it to every window title,
    // and the titles are exactly the designed texts.
    QApplication::setApplicationName(QString::fromUtf8(vorn::common::kProgramName));
    QApplication::setWindowIcon(vorn::app::IconePrograma());
    // Hiding the window to the tray must not end the program; only the tray menu does.
    QApplication::setQuitOnLastWindowClosed(false);

    std::unique_ptr<vorn::app::TFPrincipal> principal;
    try {
        vorn::app::AmbientePrincipal ambiente;
        // Headless, the activity goes to standard output (a service's journal).
        if (vorn::platform::messageBoxesGoToStandardError())
            ambiente.console = vorn::app::EscreveLinhaConsole;
        principal = std::make_unique<vorn::app::TFPrincipal>(std::move(ambiente));
    } catch (const vorn::app::ProgramaEncerrado&) {
        return 0;
    } catch (const std::exception& e) {
        // An error that ends the start-up is shown while the application (and so the display)
        // still exists; on a desktop, standard error alone would go unseen.
        vorn::ui::MostraErroPadrao(QString::fromUtf8(e.what()));
        return 0;
    }
    // The other long-lived windows, in their order: the progress window, the data module and
    // the message dialog, which the server window uses from here on.
    vorn::ui::TFProgressos progressos;
    vorn::ui::TDMP dmp;
    vorn::ui::TFMsg msg;
    msg.DefineJanelaProgresso(&progressos);
    msg.DefinePastaPrograma(principal->dirApp());
    principal->DefineMsg(&msg);

    // exit(), not quit(): quit() would first ask the window to close, and a close request only
    // hides it. A signal ends the program without asking.
    vorn::platform::QuitSignals sinais([] { QCoreApplication::exit(0); });
    principal->show();
    app.exec();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // --help and --version answer before anything starts: no guard, no autostart entry, no files.
    if (const auto fim = vorn::app::handleCommandLine(argc, argv, std::cout, std::cerr))
        return *fim;
    try {
        return executa(argc, argv);
    } catch (const std::exception& e) {
        // Only an error before the application exists, or after it is gone, arrives here.
        std::fprintf(stderr, "%s: %s\n", vorn::common::kProgramName, e.what());
    }
    // The guard is released with its object (or by the kernel at exit) on every way out; the
    // exit code is 0 on every way out, as the program always had.
    return 0;
}
