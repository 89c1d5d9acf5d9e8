// The running executable's full path. Windows only.
#pragma once

#include <string>
#include <string_view>

namespace quillet {

// Without a length limit, so a program in a deep folder still knows where it is;
// empty on failure.
std::u16string ExecutablePath();

// The full path of a file in the executable's folder, in the "\\?\" form when it is
// too long for the ordinary one.
std::u16string PathBesideExecutable(std::u16string_view fileName);

}  // namespace quillet
