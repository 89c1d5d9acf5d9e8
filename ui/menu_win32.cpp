// Popup menus on the platform's menus.
#include <windows.h>

#include <cstddef>

#include "runtime/text.h"
#include "ui/menu.h"
#include "ui/menu_build.h"
#include "ui/numbered_table.h"

namespace quillet {

namespace {

struct PopupMenu {
    HMENU handle = nullptr;
};

// The state needs only the record without hbmpItem, which every version accepts.
constexpr UINT StateRecordSize = offsetof(MENUITEMINFOW, hbmpItem);
static_assert(StateRecordSize == 44);

NumberedTable<PopupMenu> menus;
thread_local MenuBuildState building;

HMENU Target() { return static_cast<HMENU>(building.Target()); }

HMENU Handle(int32_t menu) {
    const PopupMenu* m = menus.Find(menu);
    return m ? m->handle : nullptr;
}

}  // namespace

int NewPopupMenu(int32_t number) {
    if (number < 0) return 0;
    FreeMenu(number);
    HMENU handle = CreatePopupMenu();
    if (!handle) return 0;
    menus.Create(number)->handle = handle;
    building.Start(handle);
    return 1;
}

void AddMenuItem(int32_t identifier, const std::u16string& label) {
    if (!Target()) return;
    AppendMenuW(Target(), MF_STRING, static_cast<UINT_PTR>(identifier), Wide(label));
}

void BeginSubmenu(const std::u16string& label) {
    if (!Target()) return;
    if (!building.CanOpen()) {
        building.RefuseOpen();
        return;
    }
    HMENU submenu = CreateMenu();
    if (!submenu) {
        building.RefuseOpen();
        return;
    }
    AppendMenuW(Target(), MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), Wide(label));
    building.Open(submenu);
}

void EndSubmenu() { building.Close(); }

void SetMenuItemChecked(int32_t menu, int32_t identifier, bool on) {
    HMENU handle = Handle(menu);
    if (!handle) return;
    MENUITEMINFOW info{};
    info.cbSize = StateRecordSize;
    info.fMask = MIIM_STATE;
    if (!GetMenuItemInfoW(handle, static_cast<UINT>(identifier), FALSE, &info)) return;
    info.fState = on ? (info.fState | MFS_CHECKED) : (info.fState & ~MFS_CHECKED);
    SetMenuItemInfoW(handle, static_cast<UINT>(identifier), FALSE, &info);
}

bool IsMenuItemChecked(int32_t menu, int32_t identifier) {
    HMENU handle = Handle(menu);
    if (!handle) return false;
    MENUITEMINFOW info{};
    info.cbSize = StateRecordSize;
    info.fMask = MIIM_STATE;
    if (!GetMenuItemInfoW(handle, static_cast<UINT>(identifier), FALSE, &info)) return false;
    return info.fState & MFS_CHECKED;
}

void SetMenuItemGreyed(int32_t menu, int32_t identifier, bool on) {
    if (HMENU handle = Handle(menu)) {
        EnableMenuItem(handle, static_cast<UINT>(identifier),
                       MF_BYCOMMAND | (on ? MF_GRAYED : MF_ENABLED));
    }
}

bool ShowPopupMenu(int32_t menu, void* owner) {
    HMENU handle = Handle(menu);
    if (!handle) return false;
    POINT at{};
    GetCursorPos(&at);
    HWND window = static_cast<HWND>(owner);
    SetForegroundWindow(window);
    TrackPopupMenu(handle, TPM_RIGHTBUTTON, at.x - 1, at.y - 1, 0, window, nullptr);
    // The choice is posted before the menu returns; item 0 rules out TPM_RETURNCMD.
    MSG command;
    return PeekMessageW(&command, window, WM_COMMAND, WM_COMMAND, PM_NOREMOVE) != 0;
}

void* MenuHandle(int32_t menu) { return Handle(menu); }

void FreeMenu(int32_t number) {
    if (HMENU handle = Handle(number)) {
        if (building.Menu() == handle) building.Start(nullptr);
        DestroyMenu(handle);
    }
    menus.Free(number);
}

void FreeAllMenus() {
    for (int32_t i = 0; i < menus.Capacity(); ++i) FreeMenu(i);
}

}  // namespace quillet
