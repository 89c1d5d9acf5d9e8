#include "ui/input_dialog_layout.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(InputDialogLayout, EnglishLayoutAt100PercentUntilATextNeedsMore) {
    const InputDialogLayout english;
    EXPECT_EQ(english.width, 500);
    EXPECT_EQ(english.height, 140);
    EXPECT_EQ(english.prompt, (DialogRect{10, 10, 480, 22}));
    EXPECT_EQ(english.field, (DialogRect{10, 32, 465, 21}));
    EXPECT_EQ(english.button, (DialogRect{210, 67, 80, 25}));
    EXPECT_FALSE(english.promptWraps);

    struct Case {
        InputDialogTextSize needs;
        int height;
        DialogRect prompt, field, button;
        bool wraps;
    } cases[] = {
        // Texts that fit keep every number.
        {{300, 13, 13, 16}, 140, {10, 10, 480, 22}, {10, 32, 465, 21}, {210, 67, 80, 25}, false},
        {{480, 16, 16, 56}, 140, {10, 10, 480, 22}, {10, 32, 465, 21}, {210, 67, 80, 25}, false},
        // Three lines of 13 px: 17 px more for the prompt, all below moves down.
        {{931, 13, 39, 16}, 157, {10, 10, 480, 39}, {10, 49, 465, 21}, {210, 84, 80, 25}, true},
        // Too wide, yet two lines still fit the English height: it wraps in place.
        {{700, 11, 22, 16}, 140, {10, 10, 480, 22}, {10, 32, 465, 21}, {210, 67, 80, 25}, true},
        // A taller font on one line: the field and the button grow to its line too.
        {{200, 30, 30, 16}, 175, {10, 10, 480, 30}, {10, 40, 465, 35}, {210, 89, 80, 38}, true},
        // A long label widens the button about its centre; never past the prompt's width.
        {{300, 13, 13, 100}, 140, {10, 10, 480, 22}, {10, 32, 465, 21}, {188, 67, 124, 25}, false},
        {{300, 13, 13, 900}, 140, {10, 10, 480, 22}, {10, 32, 465, 21}, {10, 67, 480, 25}, false},
    };
    for (const auto& c : cases) {
        const InputDialogLayout layout = FitInputDialog(c.needs, kBaseDpi, true);
        EXPECT_EQ(layout.width, 500);
        EXPECT_EQ(layout.height, c.height) << c.needs.promptWidth;
        EXPECT_EQ(layout.prompt, c.prompt) << c.needs.promptWidth;
        EXPECT_EQ(layout.field, c.field) << c.needs.promptWidth;
        EXPECT_EQ(layout.button, c.button) << c.needs.buttonLabelWidth;
        EXPECT_EQ(layout.promptWraps, c.wraps) << c.needs.promptWidth;
    }

    // English: its exact layout at 100 %, however cut off; else scaled for the DPI (x and
    // widths), wrapped and grown (y and heights).
    struct Grown {
        InputDialogTextSize needs;  // prompt width, line, wrapped, label, font, frame
        int dpi, height, promptHeight, fieldY, fieldHeight, buttonY, buttonHeight;
        bool wraps;
    } grown[] = {
        {{905, 16, 32, 15, 12, 31}, 96, 140, 22, 32, 21, 67, 25, false},
        {{1950, 29, 145, 34, 25, 25}, 96, 288, 145, 155, 34, 203, 37, true},  // text at 225 %
        {{1800, 32, 64, 30, 24, 62}, 192, 300, 64, 84, 42, 154, 50, true},    // screen at 200 %
        {{500, 32, 32, 30, 24, 120}, 192, 324, 44, 64, 42, 134, 50, false},   // a tall caption
    };
    for (const Grown& g : grown) {
        const int k = g.dpi / kBaseDpi;
        const InputDialogLayout expected{500 * k,
                                         g.height,
                                         {10 * k, 10 * k, 480 * k, g.promptHeight},
                                         g.wraps,
                                         {10 * k, g.fieldY, 465 * k, g.fieldHeight},
                                         {210 * k, g.buttonY, 80 * k, g.buttonHeight}};
        EXPECT_EQ(FitInputDialog(g.needs, g.dpi, false), expected) << g.needs.fontHeight;
    }
}

}  // namespace
}  // namespace quillet
