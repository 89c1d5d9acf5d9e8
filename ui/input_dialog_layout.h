// Where the input dialog's controls go: the fixed English layout, or the same
// layout scaled for the screen's DPI, grown downwards and its button widened so
// that the texts fit in the font and size the user chose.
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
    int promptLineHeight = 0;     // the height of that one line, the font's line height
    int promptWrappedHeight = 0;  // the prompt wrapped at the prompt's width
    int buttonLabelWidth = 0;
    int fontHeight = 0;   // the font's em height (its cell without the internal leading)
    int frameHeight = 0;  // the window's caption and borders, top and bottom
};

constexpr int kBaseDpi = 96;

// The English layout with every number scaled from 96 DPI to `dpi`.
InputDialogLayout ScaledInputDialog(int dpi);

// At 96 DPI with a message font no larger than Windows' own at 100 % text size,
// and without fitTexts, the English layout exactly. Otherwise the English layout
// scaled for `dpi`, and where a text needs more: the prompt wraps and takes the
// height it needs, the field and the button grow to the font's line, everything
// below moves down by as much, the window grows with it (never leaving less
// below the button than a caption larger than usual needs), and the button
// widens about its centre.
InputDialogLayout FitInputDialog(const InputDialogTextSize& needs, int dpi, bool fitTexts);

}  // namespace quillet
