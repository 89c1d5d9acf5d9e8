// A TrayListener that writes down each call it gets.
#pragma once

#include <string>

#include "ui/tray_window.h"

namespace quillet::testing {

struct HeardListener final : TrayListener {
    std::string calls;  // "left right command 6 timer close exit request "
    void OnTrayClick(TrayButton button) override {
        calls += button == TrayButton::Left ? "left " : "right ";
    }
    void OnMenuCommand(int32_t id) override { calls += "command " + std::to_string(id) + " "; }
    void OnTimer() override { calls += "timer "; }
    void OnClose() override { calls += "close "; }
    void OnExitRequest() override { calls += "exit request "; }
};

}  // namespace quillet::testing
