#include <windows.h>

#include "runtime/text.h"
#include "ui/dialog_owner_win32.h"
#include "ui/dialogs.h"

namespace quillet {

int ShowMessageBox(const std::u16string& title, const std::u16string& text, uint32_t style) {
    HWND owner = DialogOwner();
    ThreadWindowsDisabled disabled;
    return MessageBoxW(owner, Wide(text), Wide(title), style);
}

}  // namespace quillet
