// Where the input dialog's controls go: the fixed English layout, or the same
// layout grown downwards and its button widened so that longer texts fit.
#pragma once

namespace quillet {

struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const DialogRect&) const = default;
};

struct InputDialogLayout {
    int width = 500;  // outer size of the window
    int height = 140;
    DialogRect prompt{10, 10, 480, 22};
    bool promptWraps = false;  // one line without wrapping in the English layout
    DialogRect field{10, 32, 465, 21};
    DialogRect button{210, 67, 80, 25};
    bool operator==(const InputDialogLayout&) const = default;
};

// What the dialog's texts need in its font, in pixels.
struct InputDialogTextSize {
    int promptWidth = 0;          // the prompt on one line
    int promptLineHeight = 0;     // the height of that one line
    int promptWrappedHeight = 0;  // the prompt wrapped at the prompt's width
    int buttonLabelWidth = 0;
};

// The English layout when the texts fit it; otherwise the prompt wraps and takes
// the height it needs, the field, the button and the window move down by as much,
// and the button widens about its centre.
InputDialogLayout FitInputDialog(const InputDialogTextSize& needs);

}  // namespace quillet
