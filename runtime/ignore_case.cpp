#include "runtime/ignore_case.h"

namespace quillet {

namespace {

// In a run of pairs the capital comes first: on an even unit, or on an odd one.
constexpr char16_t EvenCapital(char16_t c) { return (c & 1) ? static_cast<char16_t>(c - 1) : c; }
constexpr char16_t OddCapital(char16_t c) { return (c & 1) ? c : static_cast<char16_t>(c - 1); }

constexpr char16_t Shift(char16_t c, int by) { return static_cast<char16_t>(c + by); }

char16_t LatinUpper(char16_t c) {
    if (c >= u'a' && c <= u'z') return Shift(c, -32);
    if (c < 0xE0) return c;
    if (c < 0x100) return c == 0xF7 ? c : c == 0xFF ? u'\u0178' : Shift(c, -32);
    if (c <= 0x12F || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
        return EvenCapital(c);
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return OddCapital(c);
    return c;
}

char16_t GreekUpper(char16_t c) {
    if (c == 0x371 || c == 0x373 || c == 0x377) return Shift(c, -1);
    if (c >= 0x37B && c <= 0x37D) return Shift(c, 0x82);
    if (c == 0x3AC) return u'\u0386';
    if (c >= 0x3AD && c <= 0x3AF) return Shift(c, -0x25);
    if (c >= 0x3B1 && c <= 0x3CB) return c == 0x3C2 ? c : Shift(c, -0x20);
    if (c == 0x3CC) return u'\u038C';
    if (c == 0x3CD || c == 0x3CE) return Shift(c, -0x3F);
    if (c == 0x3D7) return u'\u03CF';
    if (c >= 0x3D8 && c <= 0x3EF) return EvenCapital(c);
    if (c == 0x3F2) return u'\u03F9';
    if (c == 0x3F8 || c == 0x3FB) return Shift(c, -1);
    return c;
}

char16_t CyrillicUpper(char16_t c) {
    if (c >= 0x430 && c <= 0x44F) return Shift(c, -0x20);
    if (c >= 0x450 && c <= 0x45F) return Shift(c, -0x50);
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x523)) {
        return EvenCapital(c);
    }
    if (c >= 0x4C1 && c <= 0x4CE) return OddCapital(c);
    if (c == 0x4CF) return u'\u04C0';
    return c;
}

}  // namespace

char16_t OrdinalUpper(char16_t c) {
    if (c < 0x180) return LatinUpper(c);
    if (c < 0x370) return c;
    if (c < 0x400) return GreekUpper(c);
    if (c < 0x524) return CyrillicUpper(c);
    return c;
}

}  // namespace quillet
