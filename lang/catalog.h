// A language's translations as the build compiles them from its .po file.
#pragma once

#include <cstddef>
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

// Every language built into the program (generated from lang/po/*.po).
std::span<const Catalog> BuiltInCatalogs();

}  // namespace quillet
