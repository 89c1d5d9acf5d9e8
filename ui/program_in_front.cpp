#include "ui/program_in_front.h"

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

bool IsNetworkDevicePath(std::u16string_view devicePath) {
    static constexpr std::u16string_view kRedirectors[] = {
        u"\\Device\\Mup\\", u"\\Device\\LanmanRedirector\\", u"\\Device\\WebDavRedirector\\"};
    for (std::u16string_view redirector : kRedirectors) {
        if (EqualIgnoringCase(devicePath.substr(0, redirector.size()), redirector)) return true;
    }
    return false;
}

void ProgramInFront::Saw(WindowHandle window, const WindowOwner& owner) {
    if (window == 0 || owner.processId == 0 || owner.processId == ownProcess_) return;
    if (IsShellWindowClass(owner.className) || IsShellHostProgram(owner.fileName)) return;
    last_.store(window, std::memory_order_relaxed);
}

ProgramDescription ProgramDescriptions::Describe(std::u16string_view path) {
    ProgramDescription program{std::u16string(FileNamePart(path)), {}};
    if (program.fileName.empty() || OnNetwork(path)) return program;
    for (const Kept& k : kept_) {
        if (k.path == path) {
            program.description = k.description;
            return program;
        }
    }
    Kept read{std::u16string(path), {}};
    read.description = files_.ReadDescription(read.path);
    program.description = read.description;
    if (kept_.size() < kKept) {
        kept_.push_back(std::move(read));
    } else {
        kept_[oldest_] = std::move(read);
        oldest_ = (oldest_ + 1) % kKept;
    }
    return program;
}

// "\\server\share\..." and "\\?\UNC\server\..." are shares; "\\?\C:\..." is drive C.
bool ProgramDescriptions::OnNetwork(std::u16string_view path) {
    if (path.starts_with(u"\\\\?\\") && path.size() >= 6 && path[5] == u':') {
        path.remove_prefix(4);
    } else if (path.starts_with(u"\\\\")) {
        return true;
    }
    return path.size() >= 2 && path[1] == u':' && files_.IsRemoteDrive(path[0]);
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
