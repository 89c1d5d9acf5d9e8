#include <windows.h>

#include <vector>

#include "runtime/module_path.h"
#include "runtime/text.h"
#include "runtime/window_lookup_win32.h"
#include "ui/program_in_front.h"

namespace quillet {

namespace {

HWND Handle(WindowHandle window) { return reinterpret_cast<HWND>(window); }

std::u16string_view View(const wchar_t* text, size_t length) {
    return {reinterpret_cast<const char16_t*>(text), length};
}

struct VersionCalls {
    DWORD(WINAPI* size)(LPCWSTR, LPDWORD) = nullptr;
    BOOL(WINAPI* read)(LPCWSTR, DWORD, DWORD, LPVOID) = nullptr;
    BOOL(WINAPI* query)(LPCVOID, LPCWSTR, LPVOID*, PUINT) = nullptr;
};

template <typename Fn>
void Resolve(HMODULE library, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// version.dll is not one of the libraries Windows always takes from the system
// folder, so it is loaded from there by full path, never by name.
const VersionCalls* Version() {
    static const VersionCalls calls = [] {
        VersionCalls c;
        if (const auto library = static_cast<HMODULE>(LoadSystemLibrary(u"version.dll"))) {
            Resolve(library, "GetFileVersionInfoSizeW", c.size);
            Resolve(library, "GetFileVersionInfoW", c.read);
            Resolve(library, "VerQueryValueW", c.query);
        }
        return c;
    }();
    return calls.size && calls.read && calls.query ? &calls : nullptr;
}

std::u16string QueryText(const VersionCalls& v, const void* record, const std::u16string& key) {
    void* text = nullptr;
    UINT length = 0;
    if (!v.query(record, Wide(key), &text, &length) || !text || length == 0) return {};
    const auto* chars = static_cast<const wchar_t*>(text);
    return std::u16string(View(chars, wcsnlen(chars, length)));
}

ProgramInFront* watched = nullptr;
HWINEVENTHOOK foregroundHook = nullptr;

class SystemProgramFiles final : public ProgramFiles {
  public:
    bool IsRemoteDrive(char16_t letter) override {
        const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', 0};
        return GetDriveTypeW(root) == DRIVE_REMOTE;
    }
    std::u16string ReadDescription(const std::u16string& path) override {
        return FileDescription(path);
    }
};

void Tell(ProgramInFront& inFront, HWND window) {
    static Win32WindowLookup lookup;  // main thread only
    const ProgramWindow program = ProgramOfWindow(lookup, reinterpret_cast<WindowHandle>(window));
    inFront.Saw(program.window, program.owner);
}

void CALLBACK OnForeground(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (watched && window && object == OBJID_WINDOW) Tell(*watched, window);
}

}  // namespace

// The file's Win32 path is needed to read it; asked for here on the main thread,
// never on the hook's, and not for a program behind a network redirector, whose
// name query may wait for the network as its file would.
ProgramDescription DescribeProgram(WindowHandle window) {
    static SystemProgramFiles files;
    static ProgramDescriptions descriptions(files);
    DWORD id = 0;
    if (!GetWindowThreadProcessId(Handle(window), &id) || id == 0) return {};
    std::vector<wchar_t> path(32768);
    const auto size = static_cast<DWORD>(path.size());
    const std::u16string_view device =
        View(path.data(), ProcessImagePath(id, PROCESS_NAME_NATIVE, path.data(), size));
    if (device.empty()) return {};
    if (IsNetworkDevicePath(device)) return {std::u16string(FileNamePart(device)), {}};
    const DWORD length = ProcessImagePath(id, 0, path.data(), size);
    if (length == 0) return {};
    return descriptions.Describe(View(path.data(), length));
}

std::u16string FileDescription(std::u16string_view path) {
    const VersionCalls* v = Version();
    if (!v) return {};
    const std::u16string file(path);
    DWORD unused = 0;
    const DWORD size = v->size(Wide(file), &unused);
    if (size == 0) return {};
    std::vector<unsigned char> record(size);
    if (!v->read(Wide(file), 0, size, record.data())) return {};
    // The first translation the record lists, else US English in Unicode, the
    // one most programs carry.
    void* translations = nullptr;
    UINT length = 0;
    if (v->query(record.data(), L"\\VarFileInfo\\Translation", &translations, &length) &&
        translations && length >= 4) {
        const auto* pair = static_cast<const WORD*>(translations);
        std::u16string text = QueryText(*v, record.data(), FileDescriptionKey(pair[0], pair[1]));
        if (!text.empty()) return text;
    }
    return QueryText(*v, record.data(), FileDescriptionKey(0x0409, 0x04B0));
}

void NoteForegroundWindow(ProgramInFront& inFront) {
    if (const HWND window = GetForegroundWindow()) Tell(inFront, window);
}

bool WatchForeground(ProgramInFront& inFront) {
    watched = &inFront;
    if (!foregroundHook) {
        foregroundHook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                         OnForeground, 0, 0, WINEVENT_OUTOFCONTEXT);
    }
    return foregroundHook != nullptr;
}

void StopWatchingForeground() {
    if (foregroundHook) UnhookWinEvent(foregroundHook);
    foregroundHook = nullptr;
    watched = nullptr;
}

}  // namespace quillet
