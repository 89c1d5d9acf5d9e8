#include "keys.h"

#include <windows.h>

#include <cstdint>
#include <cwctype>

#include "output.h"

namespace quillet {
namespace {

struct NamedKey {
    const wchar_t* name;
    unsigned vk;
};

const NamedKey namedKeys[] = {
    {L"esc", VK_ESCAPE},      {L"escape", VK_ESCAPE},    {L"ctrl", VK_CONTROL},
    {L"control", VK_CONTROL}, {L"lctrl", VK_LCONTROL},   {L"rctrl", VK_RCONTROL},
    {L"alt", VK_MENU},        {L"lalt", VK_LMENU},       {L"ralt", VK_RMENU},
    {L"shift", VK_SHIFT},     {L"lshift", VK_LSHIFT},    {L"insert", VK_INSERT},
    {L"ins", VK_INSERT},      {L"capslock", VK_CAPITAL}, {L"numpad0", VK_NUMPAD0},
    {L"tab", VK_TAB},         {L"enter", VK_RETURN},     {L"space", VK_SPACE},
    {L"delete", VK_DELETE},   {L"home", VK_HOME},        {L"end", VK_END},
    {L"left", VK_LEFT},       {L"right", VK_RIGHT},      {L"up", VK_UP},
    {L"down", VK_DOWN},       {L"win", VK_LWIN},         {L"apps", VK_APPS},
};

// Keys that a keyboard sends with the E0 prefix.
bool IsExtended(unsigned vk) {
    switch (vk) {
        case VK_INSERT:
        case VK_DELETE:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_RCONTROL:
        case VK_RMENU:
        case VK_LWIN:
        case VK_RWIN:
        case VK_APPS:
        case VK_DIVIDE:
        case VK_NUMLOCK:
        case VK_SNAPSHOT:
            return true;
        default:
            return false;
    }
}

}  // namespace

unsigned KeyByName(const std::wstring& name) {
    std::wstring lower;
    for (wchar_t c : name) lower += static_cast<wchar_t>(towlower(c));
    int64_t number = 0;
    if (ParseNumber(lower, number)) return number > 0 && number < 256 ? unsigned(number) : 0;
    for (const NamedKey& key : namedKeys) {
        if (lower == key.name) return key.vk;
    }
    if (lower.size() >= 2 && lower[0] == L'f' && ParseNumber(lower.substr(1), number) &&
        number >= 1 && number <= 24) {
        return VK_F1 + unsigned(number) - 1;
    }
    if (lower.size() == 1 &&
        ((lower[0] >= L'a' && lower[0] <= L'z') || (lower[0] >= L'0' && lower[0] <= L'9'))) {
        return static_cast<unsigned>(towupper(lower[0]));
    }
    return 0;
}

bool SendKey(unsigned vk, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(vk);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (IsExtended(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return SendInput(1, &input, sizeof input) == 1;
}

}  // namespace quillet
