#include "filter/exempt_program_check.h"

namespace quillet {

PublishedPrograms::PublishedPrograms() : current_(&kept_.emplace_back()) {}

void PublishedPrograms::Publish(ProgramList list) {
    current_.store(&kept_.emplace_back(std::move(list)), std::memory_order_release);
}

bool ExemptProgramCheck::IsExempt() {
    const WindowHandle window = lookup_.ForegroundWindow();
    const ProgramList* list = programs_.Current();
    if (window == window_ && list == list_) return exempt_;
    return Refresh(window, list);
}

bool ExemptProgramCheck::Refresh(WindowHandle window, const ProgramList* list) {
    const bool windowChanged = window != window_ || list_ == nullptr;
    window_ = window;
    list_ = list;
    exempt_ = false;
    if (window == 0 || (list->Empty() && !inFront_ && ownProcess_ == 0)) return false;
    const ProgramWindow program = ProgramOfWindow(lookup_, window);
    const WindowOwner& owner = program.owner;
    if (inFront_ && windowChanged) inFront_->Saw(program.window, owner);
    exempt_ = (ownProcess_ != 0 && owner.processId == ownProcess_) ||
              (!IsShellHostProgram(owner.fileName) && list->Contains(owner.fileName));
    return exempt_;
}

}  // namespace quillet
