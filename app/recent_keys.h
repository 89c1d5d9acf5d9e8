// The "Recent keys" window's list, one decision of the hook a line, and the report
// Copy makes of it for whoever helps the user.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "filter/decision_log.h"
#include "lang/language.h"
#include "speech/speech_binding.h"

namespace quillet {

// This build's version, as the release package names it.
#ifdef QUILLET_VERSION
inline constexpr char16_t kQuilletVersion[] = QUILLET_VERSION;
#else
inline constexpr char16_t kQuilletVersion[] = u"unknown";
#endif

// The texts of the window and its list; context kRecentKeysContext.
inline constexpr char16_t kRecentKeysContext[] = u"recent keys";
inline constexpr char16_t kRecentKeysTitle[] = u"Recent keys";
inline constexpr char16_t kCopyLabel[] = u"&Copy";
inline constexpr char16_t kCloseLabel[] = u"Close";
inline constexpr char16_t kNoKeysYet[] = u"No keys decided yet.";
inline constexpr char16_t kInProgram[] = u"in %s";
// By Decision from FirstPress on: "next key only" and a passed copy stand for their
// decisions, "always" and a swallowed copy have texts of their own.
inline constexpr std::u16string_view kDecisionTexts[] = {
    u"swallowed, spoken (first press)",
    u"passed (second press within %d milliseconds)",
    u"passed (a single-press key)",
    u"passed (the program gets its keys)",
    u"passed (next key only)",
    u"passed (a screen-reader key held)",
    u"hot key, %s",
    u"passed (a copy the screen reader sent)",
    u"repeats passed",
    u"repeats swallowed (another window in front)",
    u"repeats swallowed, spoken again",
    u"repeats swallowed (hot key)",
};
inline constexpr char16_t kIgnoreAlwaysText[] = u"passed (Ignore mode)";
inline constexpr char16_t kCopySwallowedText[] = u"swallowed (a copy the screen reader sent)";

// The moment the list is made: the system's millisecond count, in which the entries are
// stamped, and the local time of day in milliseconds.
struct ListClock {
    uint32_t ticks = 0;
    int64_t msOfDay = 0;
};

// One line per decision, newest last: "10:02:03 F5 in notepad.exe: swallowed, spoken
// (first press)"; the words in `language`, programs named from `names`, a second
// press's timeout as it is now.
std::u16string RecentKeysList(const std::vector<LoggedDecision>& decisions,
                              const ProgramNames& names, ListClock clock, int32_t timeout,
                              const Language& language);

// What a helper needs to know beside the list, in English.
struct ReportFacts {
    std::u16string_view version;
    std::u16string_view windows;  // its version, build and 32- or 64-bit
    std::u16string_view speech;   // SpeechRouteName
    std::string_view language;    // the tag of the language Quillet speaks
    int32_t timeout = 300;
    int32_t ignoreMode = 0;
    bool escapeSinglePress = false;
    uint32_t singlePressKeys = 0;  // SinglePressKeyBit
    size_t programs = 0;           // how many get their keys; never their names
    bool runAsAdmin = false;
    int elevated = -1;  // 1 yes, 0 no, -1 unknown
};
std::u16string RecentKeysReport(const ReportFacts& facts, std::u16string_view list);

// The speech library's engine (SpeechBinding::Engine) as a name; "unknown" for no answer.
std::u16string SpeechRouteName(int engine);

}  // namespace quillet
