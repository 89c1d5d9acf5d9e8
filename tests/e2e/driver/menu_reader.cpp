#include "menu_reader.h"

#include <tlhelp32.h>

#include <cstddef>
#include <cwctype>

#include "commands.h"
#include "output.h"

// Menu data lives in the process that made the menu, and Wine answers menu
// calls only there. So the reading runs as a thread inside that process: a
// small self-contained routine is copied over together with a job record
// holding the user32 entry points (rebased for that process) and room for the
// answers.
namespace quillet {
namespace {

constexpr int kMaxItems = 64;
constexpr int kMaxDepth = 8;
constexpr int kLabelLength = 128;
constexpr SIZE_T kCodeBytes = 1024;

struct MenuItemRecord {
    int depth;
    int id;
    UINT state;
    wchar_t label[kLabelLength];
};

struct MenuJob {
    int(WINAPI* getCount)(HMENU);
    int(WINAPI* getString)(HMENU, UINT, LPWSTR, int, UINT);
    UINT(WINAPI* getState)(HMENU, UINT, UINT);
    HMENU(WINAPI* getSub)(HMENU, int);
    UINT(WINAPI* getId)(HMENU, int);
    HMENU menu;
    int itemCount;
    MenuItemRecord items[kMaxItems];
};

// Runs in the other process: no calls except through the job, no data
// outside the job and the stack, no jump tables.
__attribute__((noinline, noclone, optimize("O1", "no-reorder-blocks-and-partition"))) DWORD WINAPI
ReadMenuThread(LPVOID param) {
    MenuJob* job = static_cast<MenuJob*>(param);
    HMENU menus[kMaxDepth];
    int next[kMaxDepth];
    int counts[kMaxDepth];
    int depth = 0;
    menus[0] = job->menu;
    next[0] = 0;
    counts[0] = job->getCount(job->menu);
    while (depth >= 0 && job->itemCount < kMaxItems) {
        if (next[depth] >= counts[depth]) {
            --depth;
            continue;
        }
        HMENU menu = menus[depth];
        int i = next[depth]++;
        MenuItemRecord* item = &job->items[job->itemCount++];
        item->depth = depth;
        job->getString(menu, UINT(i), item->label, kLabelLength, MF_BYPOSITION);
        item->state = job->getState(menu, UINT(i), MF_BYPOSITION);
        HMENU sub = job->getSub(menu, i);
        item->id = sub ? -1 : int(job->getId(menu, i));
        if (sub && depth + 1 < kMaxDepth) {
            ++depth;
            menus[depth] = sub;
            next[depth] = 0;
            counts[depth] = job->getCount(sub);
        }
    }
    return 1;
}

std::wstring Lower(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) out += static_cast<wchar_t>(towlower(c));
    return out;
}

// The same function's address in the other process: same module, same offset.
template <typename F>
bool Rebase(DWORD pid, F local, F& remote) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(local), &module)) {
        return false;
    }
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring name = path;
    name = Lower(name.substr(name.find_last_of(L"\\/") + 1));
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL ok = Module32FirstW(snapshot, &entry); ok; ok = Module32NextW(snapshot, &entry)) {
        if (Lower(entry.szModule) == name) {
            uintptr_t offset =
                reinterpret_cast<uintptr_t>(local) - reinterpret_cast<uintptr_t>(module);
            remote = reinterpret_cast<F>(reinterpret_cast<uintptr_t>(entry.modBaseAddr) + offset);
            found = true;
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}

bool RunJob(DWORD pid, MenuJob& job) {
    HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_VM_OPERATION | PROCESS_VM_READ |
                                     PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE,
                                 FALSE, pid);
    if (!process) return Fail(L"cannot open the menu's process");
    bool ok = false;
    BYTE* memory =
        static_cast<BYTE*>(VirtualAllocEx(process, nullptr, kCodeBytes + sizeof job,
                                          MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    if (memory) {
        BYTE* remoteJob = memory + kCodeBytes;
        SIZE_T written = 0, read = 0;
        HANDLE thread = nullptr;
        if (WriteProcessMemory(process, memory, reinterpret_cast<LPCVOID>(&ReadMenuThread),
                               kCodeBytes, &written) &&
            WriteProcessMemory(process, remoteJob, &job, sizeof job, &written)) {
            thread = CreateRemoteThread(process, nullptr, 0,
                                        reinterpret_cast<LPTHREAD_START_ROUTINE>(memory), remoteJob,
                                        0, nullptr);
        }
        if (thread) {
            DWORD code = 0;
            ok = WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0 &&
                 GetExitCodeThread(thread, &code) && code == 1 &&
                 ReadProcessMemory(process, remoteJob, &job, sizeof job, &read);
            CloseHandle(thread);
        }
        // A thread that never ended keeps its code; leave the memory then.
        if (ok) VirtualFreeEx(process, memory, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return ok || Fail(L"reading the menu in its process failed");
}

}  // namespace

bool ReadMenu(HWND owner, HMENU menu, std::vector<std::wstring>& lines) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    if (!pid) return Fail(L"no process for the menu window");
    static MenuJob job;
    job = MenuJob{};
    job.menu = menu;
    if (!Rebase(pid, &GetMenuItemCount, job.getCount) ||
        !Rebase(pid, &GetMenuStringW, job.getString) || !Rebase(pid, &GetMenuState, job.getState) ||
        !Rebase(pid, &GetSubMenu, job.getSub) || !Rebase(pid, &GetMenuItemID, job.getId)) {
        return Fail(L"cannot find user32 in the menu's process");
    }
    if (!RunJob(pid, job)) return false;
    for (int i = 0; i < job.itemCount; ++i) {
        const MenuItemRecord& item = job.items[i];
        lines.push_back(std::to_wstring(item.depth) + L" " + std::to_wstring(item.id) + L" " +
                        ((item.state & MF_CHECKED) ? L"1" : L"0") + L" " +
                        ((item.state & (MF_GRAYED | MF_DISABLED)) ? L"1" : L"0") + L" " +
                        ((item.state & MF_HILITE) ? L"1" : L"0") + L" " + Escaped(item.label));
    }
    return true;
}

}  // namespace quillet
