// The system side of the filter: the low-level keyboard hook on a thread of its
// own, whose message loop does nothing but run the hook and its watchdog, so no
// other work of the program can ever make a key wait. Windows only.
#pragma once

#include <memory>
#include <string_view>

#include "filter/double_press_filter.h"
#include "filter/program_gets_its_keys_check.h"

namespace quillet {

// GetAsyncKeyState, the performance-counter clock and the program in front, read on
// the hook thread: one for it. The program in front is matched against the list the
// main thread publishes in `programs`; `inFront` hears of each window it finds there,
// and `names` keeps its program's name for the decisions' list.
std::unique_ptr<FilterPlatform> SystemFilterPlatform(const PublishedPrograms& programs,
                                                     FrontWindowListener& inFront,
                                                     ProgramNames& names);

// Starts the hook thread and installs the WH_KEYBOARD_LL hook with `filter`
// deciding. False, and no thread, when the hook cannot be installed. From here
// until StopKeyboardHook the filter and its state belong to the hook thread.
// When the watchdog cannot put a lost hook back, `lostText` is spoken through
// `feedback` once, and the hook thread keeps trying every 2 s.
bool StartKeyboardHook(DoublePressFilter& filter, FilterFeedback& feedback,
                       std::u16string_view lostText);
// Removes the hook and ends its thread; nothing after this decides a key.
void StopKeyboardHook();

// Takes the hook out of the chain behind the watchdog's back, as Windows does with a
// hook that timed out too often. In every build; only QuilletFaults.exe, built for the end-to-end
// tests, calls it, when its named event is set.
void DropKeyboardHookForTest();

}  // namespace quillet
