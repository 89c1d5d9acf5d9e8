#include "ui/input_dialog_layout.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(InputDialogLayout, EnglishLayoutUntilATextNeedsMore) {
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
        {{480, 22, 22, 56}, 140, {10, 10, 480, 22}, {10, 32, 465, 21}, {210, 67, 80, 25}, false},
        // Three lines of 13 px: 17 px more for the prompt, all below moves down.
        {{931, 13, 39, 16}, 157, {10, 10, 480, 39}, {10, 49, 465, 21}, {210, 84, 80, 25}, true},
        // Too wide, yet two lines still fit the English height: it wraps in place.
        {{700, 11, 22, 16}, 140, {10, 10, 480, 22}, {10, 32, 465, 21}, {210, 67, 80, 25}, true},
        // A taller font on one line.
        {{200, 30, 30, 16}, 148, {10, 10, 480, 30}, {10, 40, 465, 21}, {210, 75, 80, 25}, true},
        // A long label widens the button about its centre; never past the prompt's width.
        {{300, 13, 13, 100}, 140, {10, 10, 480, 22}, {10, 32, 465, 21}, {188, 67, 124, 25}, false},
        {{300, 13, 13, 900}, 140, {10, 10, 480, 22}, {10, 32, 465, 21}, {10, 67, 480, 25}, false},
    };
    for (const auto& c : cases) {
        const InputDialogLayout layout = FitInputDialog(c.needs);
        EXPECT_EQ(layout.width, 500);
        EXPECT_EQ(layout.height, c.height) << c.needs.promptWidth;
        EXPECT_EQ(layout.prompt, c.prompt) << c.needs.promptWidth;
        EXPECT_EQ(layout.field, c.field) << c.needs.promptWidth;
        EXPECT_EQ(layout.button, c.button) << c.needs.buttonLabelWidth;
        EXPECT_EQ(layout.promptWraps, c.wraps) << c.needs.promptWidth;
    }
}

}  // namespace
}  // namespace quillet
