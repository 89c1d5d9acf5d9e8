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
        InputDialogTextSize needs;  // prompt width, line, wrapped, label, font, frame
        int dpi;
        bool fitTexts;
        int width, height;
        DialogRect prompt, field, button;
        bool wraps;
    } cases[] = {
        // English at 100 %: Wine's and Windows' own message fonts keep every number,
        // though the prompt is cut off.
        {{860, 13, 26, 16, 11, 25},
         96,
         false,
         500,
         140,
         {10, 10, 480, 22},
         {10, 32, 465, 21},
         {210, 67, 80, 25},
         false},
        {{905, 16, 32, 15, 12, 31},
         96,
         false,
         500,
         140,
         {10, 10, 480, 22},
         {10, 32, 465, 21},
         {210, 67, 80, 25},
         false},
        // A translation: texts that fit keep every number.
        {{300, 13, 13, 16},
         96,
         true,
         500,
         140,
         {10, 10, 480, 22},
         {10, 32, 465, 21},
         {210, 67, 80, 25},
         false},
        {{480, 16, 16, 56},
         96,
         true,
         500,
         140,
         {10, 10, 480, 22},
         {10, 32, 465, 21},
         {210, 67, 80, 25},
         false},
        // Three lines of 13 px: 17 px more for the prompt, all below moves down.
        {{931, 13, 39, 16},
         96,
         true,
         500,
         157,
         {10, 10, 480, 39},
         {10, 49, 465, 21},
         {210, 84, 80, 25},
         true},
        // Too wide, yet two lines still fit the English height: it wraps in place.
        {{700, 11, 22, 16},
         96,
         true,
         500,
         140,
         {10, 10, 480, 22},
         {10, 32, 465, 21},
         {210, 67, 80, 25},
         true},
        // A taller font on one line: the field and the button grow to its line too.
        {{200, 30, 30, 16},
         96,
         true,
         500,
         175,
         {10, 10, 480, 30},
         {10, 40, 465, 35},
         {210, 89, 80, 38},
         true},
        // A long label widens the button about its centre; never past the prompt's width.
        {{300, 13, 13, 100},
         96,
         true,
         500,
         140,
         {10, 10, 480, 22},
         {10, 32, 465, 21},
         {188, 67, 124, 25},
         false},
        {{300, 13, 13, 900},
         96,
         true,
         500,
         140,
         {10, 10, 480, 22},
         {10, 32, 465, 21},
         {10, 67, 480, 25},
         false},
        // English with Windows' text size at 225 %: five wrapped lines, a taller field
        // and button.
        {{1950, 29, 145, 34, 25, 25},
         96,
         false,
         500,
         288,
         {10, 10, 480, 145},
         {10, 155, 465, 34},
         {210, 203, 80, 37},
         true},
        // 200 % display scaling: every number doubled, then the prompt's two lines.
        {{1800, 32, 64, 30, 24, 62},
         192,
         false,
         1000,
         300,
         {20, 20, 960, 64},
         {20, 84, 930, 42},
         {420, 154, 160, 50},
         true},
        // A caption large enough to leave too little room below the button.
        {{500, 32, 32, 30, 24, 120},
         192,
         false,
         1000,
         324,
         {20, 20, 960, 44},
         {20, 64, 930, 42},
         {420, 134, 160, 50},
         false},
    };
    for (const auto& c : cases) {
        const InputDialogLayout layout = FitInputDialog(c.needs, c.dpi, c.fitTexts);
        const auto row = ::testing::Message() << c.needs.promptWidth << " at " << c.dpi;
        EXPECT_EQ(layout.width, c.width) << row;
        EXPECT_EQ(layout.height, c.height) << row;
        EXPECT_EQ(layout.prompt, c.prompt) << row;
        EXPECT_EQ(layout.field, c.field) << row;
        EXPECT_EQ(layout.button, c.button) << row;
        EXPECT_EQ(layout.promptWraps, c.wraps) << row;
    }
}

}  // namespace
}  // namespace quillet
