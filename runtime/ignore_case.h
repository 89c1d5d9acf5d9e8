// Case-insensitive comparison of names the way Windows compares file and program
// names (ordinal, ignoring case): each UTF-16 unit is upper-cased on its own, with
// no locale and no expansion.
#pragma once

#include <string_view>

namespace quillet {

// The unit Windows compares in place of `c`. Covers Basic Latin, Latin-1, Latin
// Extended-A, Greek and Coptic and Cyrillic with its supplement up to U+0523, as
// Windows' own table does: µ, dotless ı, long ſ and final ς have no capital there.
// Every other unit is returned as it is.
char16_t OrdinalUpper(char16_t c);

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace quillet
