// Texts of the tray layer that do not need the platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

constexpr size_t TrayTooltipLength = 63;

// The tooltip as the notification area keeps it: its first 63 characters.
std::u16string TrayTooltip(std::u16string_view text);

// "TarnSysTray%d" for a platform id.
std::u16string TrayPropertyName(uint32_t platformId);

// "WindowClass_%d" for a window number.
std::u16string WindowClassName(int32_t number);

}  // namespace quillet
