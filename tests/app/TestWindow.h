#pragma once

// A server window with its message dialog, in a program folder of its own (branch 1, table 2).

#include "ServerFolder.h"

#include "app/Principal.h"
#include "ui/Msg.h"

#include <memory>

namespace vorn::test {

struct TestWindow {
    ServerFolder folder;
    ui::TFMsg msg;
    std::unique_ptr<app::TFPrincipal> w;

    TestWindow() {
        folder.writeSettings(1, 2);
        w = std::make_unique<app::TFPrincipal>(app::AmbientePrincipal{folder.programFile()});
        w->DefineMsg(&msg);
        msg.DefinePastaPrograma(w->dirApp());
    }
};

} // namespace vorn::test
