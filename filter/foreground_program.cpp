#include "filter/foreground_program.h"

#include "filter/program_in_front.h"

namespace quillet {

PublishedPrograms::PublishedPrograms() : current_(&kept_.emplace_back()) {}

void PublishedPrograms::Publish(ProgramList list) {
    current_.store(&kept_.emplace_back(std::move(list)), std::memory_order_release);
}

bool ForegroundProgram::IsExempt() {
    const WindowHandle window = system_.ForegroundWindow();
    const ProgramList* list = programs_.Current();
    if (window == window_ && list == list_) return exempt_;
    const bool windowChanged = window != window_ || list_ == nullptr;
    window_ = window;
    list_ = list;
    exempt_ = false;
    if (window == 0 || (list->Empty() && !inFront_)) return false;
    const WindowOwner owner = system_.Owner(window, !list->Empty());
    if (inFront_ && windowChanged) inFront_->Saw(window, owner.processId, owner.className);
    exempt_ = list->Contains(owner.fileName);
    return exempt_;
}

}  // namespace quillet
