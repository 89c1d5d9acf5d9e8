#include <windows.h>

#include "runtime/ignore_case.h"

namespace quillet {

namespace {

// The system refuses a null string, which an empty view may hold.
const wchar_t* Wide(std::u16string_view text) {
    return text.empty() ? L"" : reinterpret_cast<const wchar_t*>(text.data());
}

}  // namespace

// Names are far shorter than an int.
int CompareIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return CompareStringOrdinal(Wide(a), static_cast<int>(a.size()), Wide(b),
                                static_cast<int>(b.size()), TRUE) -
           CSTR_EQUAL;
}

}  // namespace quillet
