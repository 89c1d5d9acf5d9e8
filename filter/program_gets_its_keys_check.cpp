#include "filter/program_gets_its_keys_check.h"

namespace quillet {

PublishedPrograms::PublishedPrograms() : current_(&kept_.emplace_back()) {}

void PublishedPrograms::Publish(ProgramList list) {
    current_.store(&kept_.emplace_back(std::move(list)), std::memory_order_release);
}

bool ProgramGetsItsKeysCheck::ListedOrOwnWindowInFront() {
    const WindowHandle window = lookup_.ForegroundWindow();
    const ProgramList* list = programs_.Current();
    if (window == window_ && list == keptFor_) return getsKeys_;
    return Refresh(window, list);
}

bool ProgramGetsItsKeysCheck::StillSameProgram() {
    if (confirm_) {
        confirm_ = false;
        if (lookup_.ProcessOf(window_) != process_) return false;
    } else if (!AwaitsApp()) {
        return true;
    }
    return !frame_ || lookup_.StoreAppWindow(window_) == app_;
}

bool ProgramGetsItsKeysCheck::Refresh(WindowHandle window, const ProgramList* list) {
    bool tell = true;  // the menu's program in front hears of a new program, not a new list
    if (window == window_ && window != 0 && list_ != nullptr) {
        tell = !StillSameProgram();
        if (!tell && list == list_) {
            keptFor_ = AwaitsApp() ? nullptr : list;
            return getsKeys_;
        }
    }
    window_ = window;
    list_ = list;
    keptFor_ = list;
    process_ = 0;
    frame_ = false;
    app_ = 0;
    confirm_ = false;
    getsKeys_ = false;
    if (window == 0 || (list->Empty() && !inFront_ && ownProcess_ == 0)) return false;
    const ProgramWindow program = ProgramOfWindow(lookup_, window);
    const WindowOwner& owner = program.owner;
    if (inFront_ && tell) inFront_->Saw(program.window, owner);
    getsKeys_ = (ownProcess_ != 0 && owner.processId == ownProcess_) ||
                (!IsShellHostProgram(owner.fileName) && list->Contains(owner.fileName));
    // What the answer depends on beside the handle, for StillSameProgram.
    frame_ = program.inFrame;
    if (program.window != window) {
        app_ = program.window;
        process_ = lookup_.ProcessOf(window);
    } else {
        process_ = owner.processId;
        if (frame_) keptFor_ = nullptr;  // no app in it yet
    }
    return getsKeys_;
}

}  // namespace quillet
