// The language the program speaks and shows: English unless Windows' user
// interface language is one we have a translation for.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lang/catalog.h"

namespace quillet {

class Language {
  public:
    Language() = default;  // English
    explicit Language(const Catalog* catalog) : catalog_(catalog) {}

    // The translation of an English text; the English itself when there is none.
    std::u16string Text(std::u16string_view english, std::u16string_view context = {}) const;
    // Text with its one placeholder (%d or %s) filled in.
    std::u16string Text(std::u16string_view english, std::u16string_view context,
                        std::u16string_view value) const;
    // "en" for English.
    std::string_view Tag() const;

  private:
    const Catalog* catalog_ = nullptr;
};

// The catalog for the first of the user's preferred UI languages (names such as
// "de-AT", most wanted first) that we have, a regional variant falling back to its
// language and then to another region of it; nothing for English or when none matches.
const Catalog* ChooseCatalog(std::span<const std::u16string> preferred,
                             std::span<const Catalog> catalogs);

// The language name of a Windows LANGID, for systems that only answer with one,
// from the rows of lang/languages.csv; empty for a language the table lacks.
std::u16string LanguageNameOfId(uint16_t langId);

// The names of a list such as GetUserPreferredUILanguages gives: each ends in a
// null character, an empty name ends the list.
std::vector<std::u16string> SplitNameList(std::u16string_view list);

// The user's preferred UI languages, most wanted first. Windows only.
std::vector<std::u16string> UserPreferredUILanguages();

}  // namespace quillet
