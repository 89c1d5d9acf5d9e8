#include "window_access.h"

#include <tlhelp32.h>

#include <cstdint>
#include <cwctype>

#include "output.h"

namespace quillet {
namespace {

struct Search {
    const std::wstring* className;
    const std::wstring* title;
    HWND found;
};

bool Matches(const std::wstring& pattern, const std::wstring& value) {
    return pattern.empty() || pattern == L"*" || pattern == value;
}

BOOL CALLBACK CheckTop(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (Matches(*search->className, ClassOf(window)) && Matches(*search->title, TextOf(window))) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    auto* children = reinterpret_cast<std::vector<ChildWindow>*>(param);
    children->push_back({window, ClassOf(window), TextOf(window), GetDlgCtrlID(window)});
    return TRUE;
}

std::wstring Folded(const std::wstring& label) {
    std::wstring out;
    for (wchar_t c : label) {
        if (c != L'&') out += static_cast<wchar_t>(towlower(c));
    }
    return out;
}

}  // namespace

HWND FindTopWindow(const std::wstring& className, const std::wstring& title) {
    Search search{&className, &title, nullptr};
    EnumWindows(CheckTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    // WM_GETTEXT with a timeout: a hung owner must not hang the driver.
    wchar_t text[4096] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &copied)) {
        return std::wstring();
    }
    return std::wstring(text, copied < 4096 ? copied : 4095);
}

std::vector<ChildWindow> ChildrenOf(HWND window) {
    std::vector<ChildWindow> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

bool ClickButton(HWND dialog, const std::wstring& button) {
    int64_t id = -1;
    bool byId = ParseNumber(button, id);
    for (const ChildWindow& child : ChildrenOf(dialog)) {
        if (Folded(child.className) != L"button") continue;
        if (byId ? child.id == id : Folded(child.text) == Folded(button)) {
            DWORD_PTR result = 0;
            return SendMessageTimeoutW(child.window, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 3000,
                                       &result) != 0;
        }
    }
    return false;
}

bool Activate(HWND window) {
    if (!IsWindow(window)) return false;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    return GetForegroundWindow() == window;
}

int CountProcesses(const std::wstring& exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        if (Folded(entry.szExeFile) == Folded(exeName)) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

}  // namespace quillet
