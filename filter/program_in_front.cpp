#include "filter/program_in_front.h"

#include "runtime/ignore_case.h"

namespace quillet {

bool IsShellWindowClass(std::u16string_view className) {
    static constexpr std::u16string_view kShell[] = {
        u"Shell_TrayWnd",
        u"Shell_SecondaryTrayWnd",
        u"NotifyIconOverflowWindow",
        u"TopLevelWindowForOverflowXamlIsland",
        u"Progman",
        u"WorkerW",
        u"#32769"};  // the desktop window itself, in front when nothing else is
    // Window classes are matched without regard to case, as Windows does.
    for (std::u16string_view shell : kShell) {
        if (EqualIgnoringCase(className, shell)) return true;
    }
    return false;
}

void ProgramInFront::Saw(WindowHandle window, uint32_t processId, std::u16string_view className) {
    if (window == 0 || processId == 0 || processId == ownProcess_) return;
    if (IsShellWindowClass(className)) return;
    last_.store(window, std::memory_order_relaxed);
}

std::u16string ProgramDisplayName(std::u16string_view description, std::u16string_view fileName) {
    const size_t first = description.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return std::u16string(fileName);
    const size_t last = description.find_last_not_of(u' ');
    return std::u16string(description.substr(first, last - first + 1));
}

std::u16string FileDescriptionKey(uint16_t language, uint16_t codePage) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string key = u"\\StringFileInfo\\";
    const uint32_t both = (uint32_t{language} << 16) | codePage;
    for (int shift = 28; shift >= 0; shift -= 4) key += kDigits[(both >> shift) & 0xF];
    key += u"\\FileDescription";
    return key;
}

}  // namespace quillet
