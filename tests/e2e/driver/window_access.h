#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quillet {

// A top-level window whose class and title match exactly ("*" or an empty
// pattern matches anything); nullptr when there is none.
HWND FindTopWindow(const std::wstring& className, const std::wstring& title);

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);

struct ChildWindow {
    HWND window;
    std::wstring className;
    std::wstring text;
    int id;
};
std::vector<ChildWindow> ChildrenOf(HWND window);

// Presses a child button given by its label (ignoring '&' and case) or its id.
bool ClickButton(HWND dialog, const std::wstring& button);

// Brings a window to the front and gives it the keyboard focus.
bool Activate(HWND window);

// Number of running processes with this executable name (case ignored).
int CountProcesses(const std::wstring& exeName);

}  // namespace quillet
