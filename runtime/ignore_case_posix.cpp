#include <algorithm>

#include "runtime/ignore_case.h"

namespace quillet {

int CompareIgnoringCase(std::u16string_view a, std::u16string_view b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        if (a[i] == b[i]) continue;
        const char16_t x = OrdinalUpper(a[i]), y = OrdinalUpper(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

}  // namespace quillet
