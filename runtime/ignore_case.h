// Case-insensitive comparison of names the way Windows compares file and program
// names (ordinal, ignoring case): each UTF-16 unit is upper-cased on its own, with
// no locale and no expansion.
#pragma once

#include <string_view>

namespace quillet {

// The unit Windows compares in place of `c`, from a table of our own. Covers Basic
// Latin, Latin-1, Latin Extended-A, Greek and Coptic and Cyrillic with its
// supplement up to U+0523, as Windows' own table does there: µ, dotless ı, long ſ
// and final ς have no capital. Every other unit is returned as it is.
char16_t OrdinalUpper(char16_t c);

// Negative, zero or positive as `a` sorts before, with or after `b`: the units
// upper-cased one by one, then the shorter first. On Windows the system's own
// table decides (CompareStringOrdinal, the file system's compare), so every
// script Windows folds is folded; elsewhere OrdinalUpper. Allocates nothing.
int CompareIgnoringCase(std::u16string_view a, std::u16string_view b);

// Inline: most names asked about differ in length, decided without a call.
inline bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && CompareIgnoringCase(a, b) == 0;
}

}  // namespace quillet
