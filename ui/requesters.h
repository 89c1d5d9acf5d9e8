// The two modal requesters. Both pump the thread's messages while open, so the
// keyboard hook and the window procedure keep running; the thread's other
// visible windows are disabled meanwhile.
#pragma once

#include <cstdint>
#include <string>

namespace quillet {

// Message box styles and answers used by the program.
constexpr uint32_t RequesterYesNo = 4;
constexpr uint32_t RequesterError = 16;
constexpr uint32_t RequesterInformation = 64;
constexpr int AnswerOk = 1;
constexpr int AnswerYes = 6;
constexpr int AnswerNo = 7;

// The platform's message box; returns the button chosen.
int MessageRequester(const std::u16string& title, const std::u16string& text, uint32_t style);

// Asks for one line of text; returns it as typed, or the empty text when cancelled
// (Escape, close box, Alt+F4), answered with an empty field, or not shown at all.
// With fitTexts the dialog grows to fit a prompt or button label longer than the
// English layout holds; without, that layout stays exactly as it is.
std::u16string InputRequester(const std::u16string& title, const std::u16string& prompt,
                              const std::u16string& defaultText,
                              const std::u16string& okLabel = u"OK", bool fitTexts = false);

}  // namespace quillet
