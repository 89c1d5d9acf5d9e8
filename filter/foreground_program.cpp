#include "filter/foreground_program.h"

#include "filter/program_in_front.h"

namespace quillet {

PublishedPrograms::PublishedPrograms() : current_(&kept_.emplace_back()) {}

void PublishedPrograms::Publish(ProgramList list) {
    current_.store(&kept_.emplace_back(std::move(list)), std::memory_order_release);
}

ProgramWindow ProgramOfWindow(ForegroundSystem& system, WindowHandle window) {
    ProgramWindow program{window, system.Owner(window)};
    if (!IsStoreAppFrame(program.owner.className)) return program;
    if (const WindowHandle app = system.StoreAppWindow(window)) program = {app, system.Owner(app)};
    return program;
}

bool ForegroundProgram::IsExempt() {
    const WindowHandle window = system_.ForegroundWindow();
    const ProgramList* list = programs_.Current();
    if (window == window_ && list == list_) return exempt_;
    return Refresh(window, list);
}

bool ForegroundProgram::Refresh(WindowHandle window, const ProgramList* list) {
    const bool windowChanged = window != window_ || list_ == nullptr;
    window_ = window;
    list_ = list;
    exempt_ = false;
    if (window == 0 || (list->Empty() && !inFront_ && ownProcess_ == 0)) return false;
    const ProgramWindow program = ProgramOfWindow(system_, window);
    const WindowOwner& owner = program.owner;
    if (inFront_ && windowChanged) inFront_->Saw(program.window, owner);
    exempt_ = (ownProcess_ != 0 && owner.processId == ownProcess_) ||
              (!IsShellHostProgram(owner.fileName) && list->Contains(owner.fileName));
    return exempt_;
}

}  // namespace quillet
