#include "ui/tray_text.h"

#include <algorithm>

#include "runtime/text.h"

namespace quillet {

std::u16string TrayTooltip(std::u16string_view text) {
    size_t n = std::min(text.size(), TrayTooltipLength);
    // Never keep half of a surrogate pair.
    if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    return std::u16string(text.substr(0, n));
}

std::u16string TrayPropertyName(uint32_t platformId) {
    return u"TarnSysTray" + DecimalText(platformId);
}

std::u16string WindowClassName(int32_t number) { return u"WindowClass_" + DecimalText(number); }

}  // namespace quillet
