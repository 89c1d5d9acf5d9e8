#include "ui/input_dialog_layout.h"

#include <algorithm>

namespace quillet {

namespace {
// Room a push button keeps on each side of its label.
constexpr int kButtonPadding = 12;
// Above and below the font's line: the field's sunken edge and margin, the
// button's edges and focus frame. Segoe UI 9 pt (16 px) fits the English sizes.
constexpr int kFieldPadding = 5;
constexpr int kButtonEdges = 8;
// Below the button when a large caption font makes the frame taller.
constexpr int kBottomMargin = 10;
// Windows' own message font at 100 % text size (Segoe UI 9 pt) is 12 px high at
// 96 DPI; Wine's (Tahoma 8 pt) is 11.
constexpr int kDefaultFontHeight = 12;

int Scale(int pixels, int dpi) { return (pixels * dpi + kBaseDpi / 2) / kBaseDpi; }

DialogRect Scale(const DialogRect& r, int dpi) {
    return {Scale(r.x, dpi), Scale(r.y, dpi), Scale(r.width, dpi), Scale(r.height, dpi)};
}
}  // namespace

InputDialogLayout ScaledInputDialog(int dpi) {
    InputDialogLayout layout;
    layout.width = Scale(layout.width, dpi);
    layout.height = Scale(layout.height, dpi);
    layout.prompt = Scale(layout.prompt, dpi);
    layout.field = Scale(layout.field, dpi);
    layout.button = Scale(layout.button, dpi);
    return layout;
}

InputDialogLayout FitInputDialog(const InputDialogTextSize& needs, int dpi, bool fitTexts) {
    const InputDialogLayout scaled = ScaledInputDialog(dpi);
    const bool atHundredPercent = dpi == kBaseDpi && needs.fontHeight <= kDefaultFontHeight;
    if (atHundredPercent && !fitTexts) return scaled;

    InputDialogLayout layout = scaled;
    if (needs.promptWidth > scaled.prompt.width || needs.promptLineHeight > scaled.prompt.height) {
        layout.promptWraps = true;
        layout.prompt.height = std::max(scaled.prompt.height, needs.promptWrappedHeight);
    }
    layout.field.height =
        std::max(scaled.field.height, needs.promptLineHeight + Scale(kFieldPadding, dpi));
    layout.button.height =
        std::max(scaled.button.height, needs.promptLineHeight + Scale(kButtonEdges, dpi));
    layout.field.y += layout.prompt.height - scaled.prompt.height;
    layout.button.y +=
        layout.field.y + layout.field.height - (scaled.field.y + scaled.field.height);
    const int buttonBottom = layout.button.y + layout.button.height;
    layout.height =
        std::max(scaled.height + buttonBottom - (scaled.button.y + scaled.button.height),
                 buttonBottom + Scale(kBottomMargin, dpi) + needs.frameHeight);

    const int buttonWidth = std::min(
        scaled.prompt.width,
        std::max(scaled.button.width, needs.buttonLabelWidth + 2 * Scale(kButtonPadding, dpi)));
    const int centre = scaled.button.x + scaled.button.width / 2;
    layout.button.x = centre - buttonWidth / 2;
    layout.button.width = buttonWidth;
    return layout;
}

}  // namespace quillet
