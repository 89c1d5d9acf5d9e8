// Splitting a file path into its folder.
#pragma once

#include <string>
#include <string_view>

namespace quillet {

// The folder of a full path, trailing separator kept; a leading "\\?\" is removed.
std::u16string FolderOfPath(std::u16string_view path);

}  // namespace quillet
