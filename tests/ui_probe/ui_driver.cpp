// Plays the user for run_probe_tests.sh: finds windows, types, presses keys,
// posts the tray callback, re-creates the taskbar and takes screenshots.
// Prints what it finds; exit code 0 on success, 1 when the check failed.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

HWND FindVisible(const wchar_t* cls, const wchar_t* title, int limitMs) {
    for (int waited = 0;; waited += 20) {
        HWND w = FindWindowW(cls, title);
        if (w && IsWindowVisible(w)) return w;
        if (waited >= limitMs) return nullptr;
        Sleep(20);
    }
}

HWND HiddenWindow() { return FindWindowW(L"WindowClass_0", L"quillet"); }

void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
    Sleep(20);
}

void Type(const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p) {
        INPUT in[2] = {};
        for (int i = 0; i < 2; ++i) {
            in[i].type = INPUT_KEYBOARD;
            in[i].ki.wScan = *p;
            in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, in, sizeof(INPUT));
        Sleep(20);
    }
}

WORD KeyCode(const std::wstring& name) {
    if (name == L"enter") return VK_RETURN;
    if (name == L"escape") return VK_ESCAPE;
    if (name == L"tab") return VK_TAB;
    if (name == L"down") return VK_DOWN;
    if (name == L"f4") return VK_F4;
    if (name.size() == 1) return static_cast<WORD>(towupper(name[0]));
    return 0;
}

bool TrayModify(UINT id) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = HiddenWindow();
    nid.uID = id;
    nid.uFlags = NIF_TIP;
    wcscpy(nid.szTip, L"Quillet");
    return Shell_NotifyIconW(NIM_MODIFY, &nid);
}

bool TrayDelete(UINT id) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = HiddenWindow();
    nid.uID = id;
    return Shell_NotifyIconW(NIM_DELETE, &nid);
}

bool Screenshot(const wchar_t* path) {
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    const DWORD stride = ((w * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4d42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + stride * h;
    bool ok = false;
    if (FILE* out = _wfopen(path, L"wb")) {
        ok = fwrite(&file, sizeof file, 1, out) == 1 &&
             fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
             fwrite(bits, stride * h, 1, out) == 1;
        fclose(out);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

// Another process's win events, as a screen reader gets them.
void CALLBACK OnDialogEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD, DWORD) {
    wchar_t cls[64] = L"?";
    GetClassNameW(window, cls, 64);
    std::wprintf(L"%ls %p %ls\n", event == EVENT_SYSTEM_DIALOGSTART ? L"dialogstart" : L"dialogend",
                 static_cast<void*>(window), cls);
    std::fflush(stdout);
}

bool WatchDialogEvents(int limitMs) {
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_SYSTEM_DIALOGSTART, EVENT_SYSTEM_DIALOGEND, nullptr, OnDialogEvent, 0,
                        0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (!hook) return false;
    std::printf("watching\n");
    std::fflush(stdout);
    const DWORD end = GetTickCount() + static_cast<DWORD>(limitMs);
    for (DWORD now = GetTickCount(); static_cast<LONG>(end - now) > 0; now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }
    UnhookWinEvent(hook);
    return true;
}

int Usage() {
    std::fputs(
        "ui_driver wait <class> <ms> | gone <class> <ms> | type <text> | key <name> [alt] |\n"
        "  sysclose <class> | tray <id> <mouse message> | tray-delete <id> | tray-exists <id> |\n"
        "  taskbar-created | close-hidden | shot <file.bmp> | dialog-events <ms> |\n"
        "  style <class> <child class>\n",
        stderr);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    auto arg = [&](int i) { return i < argc ? std::wstring(argv[i]) : std::wstring(); };

    if (command == L"wait") {
        HWND w = FindVisible(arg(2).c_str(), nullptr, _wtoi(arg(3).c_str()));
        std::printf("%s\n", w ? "found" : "missing");
        return w ? 0 : 1;
    }
    if (command == L"gone") {
        const int limit = _wtoi(arg(3).c_str());
        for (int waited = 0; waited <= limit; waited += 20) {
            HWND w = FindWindowW(arg(2).c_str(), nullptr);
            if (!w || !IsWindowVisible(w)) {
                std::printf("gone\n");
                return 0;
            }
            Sleep(20);
        }
        std::printf("still there\n");
        return 1;
    }
    if (command == L"type") {
        Type(arg(2).c_str());
        return 0;
    }
    if (command == L"key") {
        const WORD vk = KeyCode(arg(2));
        if (!vk) return Usage();
        const bool alt = arg(3) == L"alt";
        if (alt) Key(VK_MENU, false);
        Key(vk, false);
        Key(vk, true);
        if (alt) Key(VK_MENU, true);
        return 0;
    }
    if (command == L"sysclose") {
        HWND w = FindVisible(arg(2).c_str(), nullptr, 2000);
        if (!w) return 1;
        PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    if (command == L"tray") {
        HWND w = HiddenWindow();
        if (!w) return 1;
        PostMessageW(w, 12501, _wtoi(arg(2).c_str()), _wtoi(arg(3).c_str()));
        return 0;
    }
    if (command == L"tray-delete") return TrayDelete(_wtoi(arg(2).c_str())) ? 0 : 1;
    if (command == L"tray-exists") {
        const bool exists = TrayModify(_wtoi(arg(2).c_str()));
        std::printf("%s\n", exists ? "present" : "absent");
        return exists ? 0 : 1;
    }
    if (command == L"taskbar-created") {
        const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
        DWORD_PTR result = 0;
        SendMessageTimeoutW(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
        return 0;
    }
    if (command == L"close-hidden") {
        HWND w = HiddenWindow();
        if (!w) return 1;
        PostMessageW(w, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == L"shot") return Screenshot(arg(2).c_str()) ? 0 : 1;
    if (command == L"dialog-events") return WatchDialogEvents(_wtoi(arg(2).c_str())) ? 0 : 1;
    if (command == L"style") {
        HWND w = FindVisible(arg(2).c_str(), nullptr, 2000);
        HWND child = w ? FindWindowExW(w, nullptr, arg(3).c_str(), nullptr) : nullptr;
        if (!child) return 1;
        std::printf("%08lx\n", static_cast<unsigned long>(GetWindowLongW(child, GWL_STYLE)));
        return 0;
    }
    return Usage();
}
