#include "lang/language.h"

#include <gtest/gtest.h>

#include <vector>

#include "lang/catalog_checks.h"
#include "runtime/text.h"

namespace quillet {
namespace {

std::string TagChosen(const std::vector<std::u16string>& preferred,
                      std::span<const Catalog> catalogs = BuiltInCatalogs()) {
    return std::string(Language(ChooseCatalog(preferred, catalogs)).Tag());
}

TEST(LanguageChoice, FirstPreferredLanguageWeHaveWins) {
    struct Case {
        std::vector<std::u16string> preferred;
        const char* tag;
    } cases[] = {
        {{u"de-DE"}, "de"},
        {{u"de-AT"}, "de"},  // a region falls back to its language
        {{u"de_CH"}, "de"},  // written as gettext writes it
        {{u"FR-ca"}, "fr"},  // in any case
        {{u"es-MX"}, "es"},
        {{u"it-IT"}, "it"},
        {{u"ru-RU"}, "ru"},
        {{u"pt-BR"}, "pt-BR"},  // the exact region
        {{u"pt-PT"}, "pt-BR"},  // the other region rather than English
        {{u"ru"}, "ru"},
        {{u"en-US", u"de-DE"}, "en"},  // English first is English
        {{u"en-GB"}, "en"},
        {{u"sv-SE", u"fr-FR"}, "fr"},  // one we lack is passed over
        {{u"zh-Hans-CN", u"ja-JP"}, "en"},
        {{u"", u"it-CH"}, "it"},
        {{}, "en"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TagChosen(c.preferred), c.tag)
            << Utf16ToUtf8(c.preferred.empty() ? u"(none)" : c.preferred[0]);
    }
}

TEST(LanguageChoice, ExactRegionThenLanguageThenAnotherRegion) {
    const Catalog catalogs[] = {{"pt-BR", {}}, {"pt", {}}, {"pt-AO", {}}};
    EXPECT_EQ(TagChosen({u"pt-AO"}, catalogs), "pt-AO");
    EXPECT_EQ(TagChosen({u"pt-PT"}, catalogs), "pt");
    const Catalog regionsOnly[] = {{"pt-BR", {}}, {"pt-AO", {}}};
    EXPECT_EQ(TagChosen({u"pt-PT"}, regionsOnly), "pt-BR");  // the first listed
}

TEST(LanguageChoice, WindowsLanguageIdsAndNameLists) {
    struct Case {
        uint16_t langId;
        const char16_t* name;
    } ids[] = {
        {0x0407, u"de"},    {0x0C07, u"de"}, {0x040C, u"fr"}, {0x0C0A, u"es"}, {0x0410, u"it"},
        {0x0416, u"pt-BR"}, {0x0816, u"pt"}, {0x0419, u"ru"}, {0x0409, u"en"}, {0x0411, u""},
    };
    for (const auto& c : ids) EXPECT_EQ(LanguageNameOfId(c.langId), c.name) << c.langId;

    using Names = std::vector<std::u16string>;
    EXPECT_EQ(SplitNameList(std::u16string_view(u"de-DE\0fr-FR\0\0", 14)),
              (Names{u"de-DE", u"fr-FR"}));
    EXPECT_EQ(SplitNameList(std::u16string_view(u"de-DE\0\0\0ru-RU\0", 15)), Names{u"de-DE"});
    EXPECT_EQ(SplitNameList(u"it-IT"), Names{u"it-IT"});
    EXPECT_EQ(SplitNameList(u""), Names{});
}

TEST(Language, TranslatesByContextAndFallsBackToEnglish) {
    const CatalogEntry entries[] = {
        {u"", u"Error", u"Fehler"},
        {u"key name", u"Escape", u"Esc"},
        {u"", u"The new double press timeout is %d MS", u"%d ms (100%%)"},
    };
    const Catalog catalog{"xx", entries};
    const Language translated(&catalog);
    const Language english;
    EXPECT_EQ(translated.Text(u"Error"), u"Fehler");
    EXPECT_EQ(translated.Text(u"Escape", u"key name"), u"Esc");
    EXPECT_EQ(translated.Text(u"Escape"), u"Escape");    // not in this context
    EXPECT_EQ(translated.Text(u"Changed"), u"Changed");  // missing
    EXPECT_EQ(english.Text(u"Escape", u"key name"), u"Escape");
    EXPECT_EQ(translated.Text(u"The new double press timeout is %d MS", {}, u"120"),
              u"120 ms (100%)");
    EXPECT_EQ(english.Text(u"The new double press timeout is %d MS", {}, u"120"),
              u"The new double press timeout is 120 MS");
    EXPECT_EQ(english.Tag(), "en");
}

TEST(Language, EveryBuiltInLanguageIsThere) {
    std::vector<std::string> tags;
    for (const Catalog& catalog : BuiltInCatalogs()) tags.emplace_back(catalog.tag);
    EXPECT_EQ(tags, (std::vector<std::string>{"de", "es", "fr", "it", "pt-BR", "ru"}));
}

TEST(TranslationChecks, Placeholders) {
    struct Case {
        const char16_t* english;
        const char16_t* translated;
        bool same;
    } cases[] = {
        {u"Currently: %d MS", u"Derzeit: %d ms", true},
        {u"Currently: %d MS", u"Derzeit ms", false},          // lost
        {u"Currently: %d MS", u"Derzeit: %d, %d ms", false},  // doubled
        {u"%s Not found", u"%d nicht gefunden", false},       // another kind
        {u"%s Not found", u"%s introuvable", true},
        {u"Ignore", u"100%% ignorieren", true},  // a literal percent sign
        {u"Ignore", u"100% ignorieren", false},  // an unknown placeholder
        {u"Ignore", u"Ignorieren %", false},     // a lone one at the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SamePlaceholders(c.english, c.translated), c.same) << Utf16ToUtf8(c.translated);
    }
}

TEST(TranslationChecks, Mnemonics) {
    struct Case {
        std::initializer_list<std::u16string_view> labels;
        bool distinct;
    } menus[] = {
        {{u"Doppeldruck-&Zeitlimit ändern...", u"Doppeldruck &ignorieren", u"&Beenden"}, true},
        {{u"&Zeitlimit", u"&zurück"}, false},  // case does not matter
        {{u"&Ändern", u"&ähnlich"}, false},    // nor for accented letters
        {{u"&Время", u"&выход"}, false},       // nor Cyrillic
        {{u"&Ёж", u"&ёлка"}, false},
        {{u"&Я", u"&я"}, false},
        {{u"Rock && &Roll", u"&Rock"}, false},  // "&&" is no mnemonic
        {{u"Rock && Roll", u"&Rock"}, true},
        {{u"&Ab&c"}, false},                 // two in one label
        {{u"Ignore", u"Ignorieren"}, true},  // none at all
    };
    for (const auto& c : menus) {
        EXPECT_EQ(MnemonicsDistinct(c.labels), c.distinct) << Utf16ToUtf8(*c.labels.begin());
    }
    EXPECT_TRUE(SameMnemonicCount(u"E&xit", u"&Beenden"));
    EXPECT_FALSE(SameMnemonicCount(u"E&xit", u"Beenden"));
    EXPECT_FALSE(SameMnemonicCount(u"Ignore", u"&Ignorieren"));
    EXPECT_TRUE(SameMnemonicCount(u"Ignore", u"Fish && Chips"));
}

}  // namespace
}  // namespace quillet
