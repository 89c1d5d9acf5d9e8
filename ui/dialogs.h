// The two modal dialogs. Both pump the thread's messages while open, so the
// keyboard hook and the window procedure keep running; the thread's other
// visible windows are disabled meanwhile.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

// Message box styles and answers used by the program.
constexpr uint32_t MessageBoxYesNo = 4;
constexpr uint32_t MessageBoxError = 16;
constexpr uint32_t MessageBoxInformation = 64;
constexpr int AnswerOk = 1;
constexpr int AnswerYes = 6;
constexpr int AnswerNo = 7;

// The platform's message box; returns the button chosen.
int ShowMessageBox(const std::u16string& title, const std::u16string& text, uint32_t style);

// Asks for one line of text; returns it as typed, or the empty text when cancelled
// (Escape, close box, Alt+F4), answered with an empty field, or not shown at all.
// The dialog is scaled for its screen's DPI and grows to fit its texts in the
// message font. At 96 DPI and Windows' own text size it keeps the English layout
// exactly, unless fitTexts asks it to fit a longer prompt or label there too.
std::u16string ShowInputDialog(const std::u16string& title, const std::u16string& prompt,
                               const std::u16string& defaultText,
                               const std::u16string& okLabel = u"OK", bool fitTexts = false);

// The "Recent keys" window's texts; Copy puts `report` on the clipboard.
struct RecentKeysTexts {
    std::u16string title, list, report, copyLabel, closeLabel;
};

// Opens the window with its list in a read-only text field, the caret on the newest (last)
// line; while it is open, fills it anew and brings it to the front. It stays open beside
// the menu until Close or Escape; the thread's message loop hands it its keys.
void ShowRecentKeysWindow(const RecentKeysTexts& texts);

}  // namespace quillet
