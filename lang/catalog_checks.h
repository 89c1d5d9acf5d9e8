// What a translation must keep of its English text, checked while the build
// compiles the .po files (a failed check stops the build) and by the unit tests.
#pragma once

#include <initializer_list>
#include <string_view>

namespace quillet {

// The next placeholder ('d' for %d, 's' for %s; a lone '%' at the end gives '%')
// at or after `i`, or 0 at the end; "%%" is a literal percent sign.
constexpr char16_t NextPlaceholder(std::u16string_view text, size_t& i) {
    while (i < text.size()) {
        if (text[i] != u'%') {
            ++i;
            continue;
        }
        if (i + 1 == text.size()) {
            ++i;
            return u'%';
        }
        const char16_t kind = text[i + 1];
        i += 2;
        if (kind != u'%') return kind;
    }
    return 0;
}

// The same placeholders in the same order: the program fills them by position.
constexpr bool SamePlaceholders(std::u16string_view english, std::u16string_view translated) {
    size_t i = 0;
    size_t j = 0;
    while (true) {
        const char16_t a = NextPlaceholder(english, i);
        if (a != NextPlaceholder(translated, j)) return false;
        if (a == 0) return true;
    }
}

// How many mnemonic marks a menu label holds: "&" before a character; "&&" is a
// literal ampersand. `letter` gets the last marked character.
constexpr int MnemonicMarks(std::u16string_view label, char16_t& letter) {
    int marks = 0;
    for (size_t i = 0; i + 1 < label.size(); ++i) {
        if (label[i] != u'&') continue;
        if (label[i + 1] != u'&') {
            letter = label[i + 1];
            ++marks;
        }
        ++i;
    }
    return marks;
}

// Menus match mnemonics without regard to case; the letters of our languages.
constexpr char16_t FoldMnemonic(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= u'\u00C0' && c <= u'\u00DE' && c != u'\u00D7') ||
        (c >= u'\u0410' && c <= u'\u042F')) {
        return static_cast<char16_t>(c + 0x20);
    }
    if (c >= u'\u0400' && c <= u'\u040F') return static_cast<char16_t>(c + 0x50);
    return c;
}

// A translated label keeps a mnemonic exactly where the English one has one,
// so every item stays reachable from the keyboard.
constexpr bool SameMnemonicCount(std::u16string_view english, std::u16string_view translated) {
    char16_t unused = 0;
    return MnemonicMarks(english, unused) == MnemonicMarks(translated, unused);
}

// No two labels of one menu share a mnemonic, and none has two.
constexpr bool MnemonicsDistinct(std::initializer_list<std::u16string_view> labels) {
    for (auto a = labels.begin(); a != labels.end(); ++a) {
        char16_t first = 0;
        const int marks = MnemonicMarks(*a, first);
        if (marks > 1) return false;
        if (marks == 0) continue;
        for (auto b = a + 1; b != labels.end(); ++b) {
            char16_t second = 0;
            if (MnemonicMarks(*b, second) == 1 && FoldMnemonic(first) == FoldMnemonic(second)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace quillet
