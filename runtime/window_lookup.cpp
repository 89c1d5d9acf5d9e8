#include "runtime/window_lookup.h"

#include "runtime/ignore_case.h"

namespace quillet {

bool IsStoreAppFrame(std::u16string_view className) {
    return EqualIgnoringCase(className, u"ApplicationFrameWindow");
}

bool IsShellHostProgram(std::u16string_view fileName) {
    static constexpr std::u16string_view kHosts[] = {
        u"ApplicationFrameHost.exe", u"StartMenuExperienceHost.exe", u"SearchHost.exe",
        u"SearchApp.exe", u"ShellExperienceHost.exe"};
    for (std::u16string_view host : kHosts) {
        if (EqualIgnoringCase(fileName, host)) return true;
    }
    return false;
}

std::u16string_view FileNamePart(std::u16string_view path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

ProgramWindow ProgramOfWindow(WindowLookup& lookup, WindowHandle window) {
    ProgramWindow program{window, lookup.Owner(window)};
    program.inFrame = IsStoreAppFrame(program.owner.className);
    if (!program.inFrame) return program;
    if (const WindowHandle app = lookup.StoreAppWindow(window)) {
        program = {app, lookup.Owner(app), true};
    }
    return program;
}

}  // namespace quillet
