// Numbered notification-area icons whose mouse activity arrives at their window
// as EventTray events (TrayLeftClick, TrayRightClick, TrayLeftDoubleClick,
// TrayRightDoubleClick).
#pragma once

#include <cstdint>
#include <string>

namespace quillet {

constexpr uint32_t TrayCallbackMessage = 12501;

// Registers "TaskbarCreated", so icons come back when the taskbar is re-created.
void StartTrayLayer();
// Removes every icon.
void EndTrayLayer();

// Adds icon `number` on `window` (HWND) made from image `image` (ui/image.h);
// non-zero on success. A used number is removed first.
int AddTrayIcon(int32_t number, void* window, int32_t image);
// Sets the tooltip (its first 63 characters); unknown numbers do nothing.
void SetTrayIconTooltip(int32_t number, const std::u16string& text);
bool IsTrayIcon(int32_t number);
// Gives the keyboard focus back to the notification area, as an icon whose menu was
// dismissed should.
void FocusTrayIcon(int32_t number);
void RemoveTrayIcon(int32_t number);
void RemoveAllTrayIcons();

// The shell's "TaskbarCreated" message; 0 before StartTrayLayer.
uint32_t TaskbarCreatedMessage();

// An elevated process hears nothing the shell, running at normal integrity,
// sends it unless it lets the message in: AddTrayIcon lets in the taskbar's
// re-creation broadcast and the icon's callback on the icon's window. Tests
// swap the call to see what is let in; returns the call it replaces.
using MessageAllowance = void (*)(void* window, uint32_t message);
MessageAllowance SetMessageAllowance(MessageAllowance allowance);

}  // namespace quillet
