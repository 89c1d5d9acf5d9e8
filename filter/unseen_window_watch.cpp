#include "filter/unseen_window_watch.h"

namespace quillet {

bool UnseenWindowWatch::CameToFront(WindowHandle window) {
    // No window, or one gone already: keys go to no program, the hook sees them.
    const uint32_t process = window ? lookup_.ProcessOf(window) : 0;
    // A handle is given to another program once its window is gone.
    if (window != window_ || process != process_) {
        window_ = window;
        process_ = process;
        unseen_ = process != 0 && !levels_.NotAboveOurs(process);
    }
    if (unseen_) ++unseenEntries_;
    return unseen_;
}

}  // namespace quillet
