// A language's translations as the build compiles them from its .po file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quillet {

struct CatalogEntry {
    std::u16string_view context;  // msgctxt; empty for most texts
    std::u16string_view english;  // msgid
    std::u16string_view text;     // msgstr, never empty
};

struct Catalog {
    std::string_view tag;  // "de", "pt-BR"
    std::span<const CatalogEntry> entries;
};

// A row of lang/languages.csv as the program needs it: Windows' language id (the
// primary language alone, 0x07, or one region's, 0x0416) and the language's tag.
struct LanguageId {
    uint16_t id;
    std::string_view tag;  // "en", "pt-BR"
};

// Every language built into the program (generated from lang/po/*.po), in the
// table's order.
std::span<const Catalog> BuiltInCatalogs();
// Every row of lang/languages.csv, English first.
std::span<const LanguageId> BuiltInLanguageIds();

}  // namespace quillet
