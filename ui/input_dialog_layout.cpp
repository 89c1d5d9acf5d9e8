#include "ui/input_dialog_layout.h"

#include <algorithm>

namespace quillet {

namespace {
// Room a push button keeps on each side of its label.
constexpr int kButtonPadding = 12;
}  // namespace

InputDialogLayout FitInputDialog(const InputDialogTextSize& needs) {
    InputDialogLayout layout;
    const DialogRect english = layout.prompt;
    if (needs.promptWidth > english.width || needs.promptLineHeight > english.height) {
        layout.promptWraps = true;
        layout.prompt.height = std::max(english.height, needs.promptWrappedHeight);
        const int grown = layout.prompt.height - english.height;
        layout.field.y += grown;
        layout.button.y += grown;
        layout.height += grown;
    }
    const int buttonWidth = std::min(
        english.width, std::max(layout.button.width, needs.buttonLabelWidth + 2 * kButtonPadding));
    const int centre = layout.button.x + layout.button.width / 2;
    layout.button.x = centre - buttonWidth / 2;
    layout.button.width = buttonWidth;
    return layout;
}

}  // namespace quillet
