#include "app/recent_keys.h"

#include "app/app_state.h"
#include "runtime/text.h"

namespace quillet {

namespace {

constexpr int64_t kMsPerDay = 24 * 60 * 60 * 1000;

// 0 to 99.
std::u16string TwoDigits(int64_t n) {
    return {static_cast<char16_t>(u'0' + n / 10), static_cast<char16_t>(u'0' + n % 10)};
}

// "10:02:03" for the moment `ticks` in the system's count.
std::u16string TimeOfDay(uint32_t ticks, ListClock clock) {
    const int64_t age = static_cast<uint32_t>(clock.ticks - ticks);  // the count wraps
    const int64_t ms = ((clock.msOfDay - age) % kMsPerDay + kMsPerDay) % kMsPerDay;
    const int64_t s = ms / 1000;
    return TwoDigits(s / 3600) + u":" + TwoDigits(s / 60 % 60) + u":" + TwoDigits(s % 60);
}

// "Ctrl+Alt+Escape": the modifiers as the keyboard names them, then the key.
std::u16string KeyText(const LoggedDecision& d, const Language& language) {
    static constexpr struct {
        uint8_t bits;
        std::u16string_view name;
    } kModifiers[] = {{kLeftCtrl | kRightCtrl, u"Ctrl+"},
                      {kLeftAlt | kRightAlt, u"Alt+"},
                      {kLeftShift | kRightShift, u"Shift+"},
                      {kLeftWin | kRightWin, u"Win+"}};
    std::u16string text;
    for (const auto& m : kModifiers) {
        if (d.modifiers & m.bits) text += m.name;
    }
    const size_t index = kGuardedKeyIndexByVk[d.vk];
    if (d.vk == kVkEscape) {
        text += language.Text(kEscapeName, kKeyNameContext);
    } else if (index < kGuardedKeyCount) {
        text += kGuardedKeys[index].name;
    } else {
        text += u"#" + IntegerText(d.vk);
    }
    return text;
}

std::u16string Why(const LoggedDecision& d, int32_t timeout, const Language& language) {
    const size_t n = static_cast<size_t>(d.why) - 1;
    switch (d.why) {
        case Decision::SecondPress:
            return language.Text(kDecisionTexts[n], kRecentKeysContext, IntegerText(timeout));
        case Decision::Ignoring:
            if (d.detail == static_cast<uint8_t>(IgnoreMode::Always)) {
                return language.Text(kIgnoreAlwaysText, kRecentKeysContext);
            }
            break;
        case Decision::HotKey:
            return language.Text(kDecisionTexts[n], kRecentKeysContext,
                                 language.Text(kIgnoreModeTexts[d.detail % 3]));
        case Decision::Copy:
            if (d.detail != 0) return language.Text(kCopySwallowedText, kRecentKeysContext);
            break;
        default:
            break;
    }
    return language.Text(kDecisionTexts[n], kRecentKeysContext);
}

}  // namespace

std::u16string RecentKeysList(const std::vector<LoggedDecision>& decisions,
                              const ProgramNames& names, ListClock clock, int32_t timeout,
                              const Language& language) {
    if (decisions.empty()) return language.Text(kNoKeysYet, kRecentKeysContext);
    std::u16string list;
    for (const LoggedDecision& d : decisions) {
        if (d.why == Decision::None || static_cast<size_t>(d.why) > std::size(kDecisionTexts)) {
            continue;
        }
        if (!list.empty()) list += u"\r\n";
        list += TimeOfDay(d.time, clock) + u" " + KeyText(d, language);
        const std::u16string program = NamesProgram(d.why) ? names.Find(d.program) : u"";
        if (!program.empty()) list += u" " + language.Text(kInProgram, kRecentKeysContext, program);
        list += u": " + Why(d, timeout, language);
    }
    return list;
}

std::u16string RecentKeysReport(const ReportFacts& f, std::u16string_view list) {
    static constexpr std::u16string_view kModes[] = {u"off", u"next key only", u"always"};
    std::u16string keys;
    for (size_t n = 1; n <= std::size(kSinglePressKeyNames); ++n) {
        if (!(f.singlePressKeys & SinglePressKeyBit(n))) continue;
        if (!keys.empty()) keys += u", ";
        keys += kSinglePressKeyNames[n - 1];
    }
    std::u16string report = u"Quillet " + std::u16string(f.version) + u"\r\n";
    report += u"Windows: " + std::u16string(f.windows) + u"\r\n";
    report += u"Speech: " + std::u16string(f.speech) + u"\r\n";
    report += u"Language: " + Utf8ToUtf16(f.language) + u"\r\n";
    report += u"Timeout: " + IntegerText(f.timeout) + u" ms\r\n";
    report += u"Ignore mode: " + std::u16string(kModes[f.ignoreMode % 3]) + u"\r\n";
    report += u"Escape: " + std::u16string(f.escapeSinglePress ? u"single press" : u"double press");
    report += u"\r\nSingle-press keys: " + (keys.empty() ? u"none" : keys) + u"\r\n";
    report += u"Programs that get their keys: " + IntegerText(static_cast<int64_t>(f.programs));
    report += u"\r\nRun as admin: " + std::u16string(f.runAsAdmin ? u"on" : u"off");
    report += u"\r\nRunning elevated: " + std::u16string(f.elevated < 0 ? u"unknown"
                                                         : f.elevated   ? u"yes"
                                                                        : u"no");
    return report + u"\r\n\r\n" + std::u16string(list) + u"\r\n";
}

std::u16string SpeechRouteName(int engine) {
    // UniversalSpeech's own numbers for its engines; SAPI is the last of them.
    switch (engine) {
        case kNoEngineAnswer:
            return u"unknown";
        case -1:
            return u"none";
        case 0:
            return u"JAWS";
        case 2:
            return u"NVDA";
        case 8:
            return u"SAPI";
        default:
            return u"engine " + IntegerText(engine);
    }
}

}  // namespace quillet
