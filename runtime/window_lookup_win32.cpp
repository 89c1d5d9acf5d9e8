#include "runtime/window_lookup_win32.h"

#include <iterator>

namespace quillet {

namespace {

HWND Handle(WindowHandle window) { return reinterpret_cast<HWND>(window); }

std::u16string_view View(const wchar_t* text, size_t length) {
    return {reinterpret_cast<const char16_t*>(text), length};
}

}  // namespace

DWORD ProcessImagePath(DWORD id, DWORD form, wchar_t* buffer, DWORD size) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process) return 0;
    DWORD length = size;
    if (!QueryFullProcessImageNameW(process, form, buffer, &length)) length = 0;
    CloseHandle(process);
    return length;
}

WindowHandle Win32WindowLookup::ForegroundWindow() {
    return reinterpret_cast<WindowHandle>(GetForegroundWindow());
}

WindowOwner Win32WindowLookup::Owner(WindowHandle window) {
    WindowOwner owner;
    DWORD id = 0;
    if (!GetWindowThreadProcessId(Handle(window), &id) || id == 0) return owner;
    owner.processId = id;
    const int classLength = GetClassNameW(Handle(window), className_, std::size(className_));
    owner.className = View(className_, classLength > 0 ? classLength : 0);
    const DWORD length = ProcessImagePath(id, PROCESS_NAME_NATIVE, path_, std::size(path_));
    owner.fileName = FileNamePart(View(path_, length));
    return owner;
}

uint32_t Win32WindowLookup::ProcessOf(WindowHandle window) {
    DWORD id = 0;
    return GetWindowThreadProcessId(Handle(window), &id) ? id : 0;
}

WindowHandle Win32WindowLookup::StoreAppWindow(WindowHandle frame) {
    return reinterpret_cast<WindowHandle>(
        FindWindowExW(Handle(frame), nullptr, L"Windows.UI.Core.CoreWindow", nullptr));
}

}  // namespace quillet
