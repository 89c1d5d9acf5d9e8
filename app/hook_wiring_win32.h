// The keyboard hook wired to the filter, its platform and the feedback: the KeyboardHook
// seam.
#pragma once

#include <memory>

#include "app/app_state.h"
#include "app/seams.h"
#include "filter/double_press_filter.h"

namespace quillet {

class Win32KeyboardHook final : public KeyboardHook {
  public:
    // `inFront` hears of the windows the hook finds in front.
    Win32KeyboardHook(AppState& state, FilterFeedback& feedback, FrontWindowListener& inFront);

    bool StartKeyboardHook() override;
    void StopKeyboardHook() override;

  private:
    const Language& language_;
    FilterFeedback& feedback_;
    std::unique_ptr<FilterPlatform> platform_;
    DoublePressFilter filter_;
};

}  // namespace quillet
