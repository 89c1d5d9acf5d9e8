// The running executable's path and libraries of the system folder. Windows only.
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

// Loads a library of the system folder by its full path, so no copy elsewhere
// (beside the executable, in the working directory) can stand in for it.
// The module handle, or nullptr.
void* LoadSystemLibrary(std::u16string_view fileName);

}  // namespace quillet
