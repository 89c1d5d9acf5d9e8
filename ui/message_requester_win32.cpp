#include <windows.h>

#include "runtime/text.h"
#include "ui/requester_owner_win32.h"
#include "ui/requesters.h"

namespace quillet {

int MessageRequester(const std::u16string& title, const std::u16string& text, uint32_t style) {
    HWND owner = RequesterOwner();
    ThreadWindowsDisabled disabled;
    return MessageBoxW(owner, Wide(text), Wide(title), style);
}

}  // namespace quillet
