#include "runtime/path.h"

namespace quillet {

std::u16string FolderOfPath(std::u16string_view path) {
    constexpr std::u16string_view kLongPrefix = u"\\\\?\\";
    if (path.starts_with(kLongPrefix)) path.remove_prefix(kLongPrefix.size());
    const size_t cut = path.find_last_of(u"\\/");
    return std::u16string(cut == std::u16string_view::npos ? std::u16string_view()
                                                           : path.substr(0, cut + 1));
}

}  // namespace quillet
