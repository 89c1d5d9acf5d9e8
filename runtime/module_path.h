// The running executable's full path. Windows only.
#pragma once

#include <string>

namespace quillet {

// Without a length limit, so a program in a deep folder still knows where it is;
// empty on failure.
std::u16string ExecutablePath();

}  // namespace quillet
