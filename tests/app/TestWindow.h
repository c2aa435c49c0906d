#pragma once

// A server window with its message dialog, in a program folder of its own (branch 1, table 2).

#include "support/FirebirdTestEnv.h"
#include "support/ServerFolder.h"

#include "app/Principal.h"
#include "ui/Msg.h"

#include <QTimer>
#include <memory>
#include <stdexcept>

namespace vorn::test {

// One of the window's timers, found by its name (TimerEnvia, TimerTerminaisConectados,
// TimerAtualizaPrecos, TimerHideApp).
inline QTimer* timer(const app::TFPrincipal& w, const char* name) {
    auto* found = w.findChild<QTimer*>(QString::fromLatin1(name));
    if (found == nullptr)
        throw std::logic_error(std::string("the window has no timer ") + name);
    return found;
}

// Whether a row of `table` holds `value` in `field` (read without moving its current record).
inline bool contemValor(const data::MemTable& table, std::string_view field,
                        const data::Value& value) {
    const int column = table.indexOf(field);
    for (int row = 1; row <= table.recordCount(); ++row)
        if (table.valueAt(row, column) == value)
            return true;
    return false;
}

struct TestWindow {
    ServerFolder folder;
    ui::TFMsg msg;
    std::unique_ptr<app::TFPrincipal> w;
    // How often the window ended the program (it does not end the test's process).
    int encerramentos = 0;

    TestWindow() {
        folder.writeSettings(1, 2);
        app::AmbientePrincipal ambiente{folder.programFile()};
        ambiente.encerraPrograma = [this] { ++encerramentos; };
        w = std::make_unique<app::TFPrincipal>(ambiente);
        w->DefineMsg(&msg);
        msg.DefinePastaPrograma(w->dirApp());
    }
};

} // namespace vorn::test
