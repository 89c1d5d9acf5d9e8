#include "ui/menu_build.h"

namespace quillet {

void MenuBuildState::Open(void* submenu) {
    if (!CanOpen()) {
        RefuseOpen();
        return;
    }
    enclosing_[depth_++] = target_;
    target_ = submenu;
}

void MenuBuildState::Close() {
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    if (depth_ == 0) return;
    target_ = enclosing_[--depth_];
}

}  // namespace quillet
