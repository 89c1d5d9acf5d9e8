#include "lang/language.h"

#include "runtime/text.h"

namespace quillet {

namespace {

// "de_AT", "DE-at" -> "de-at": Windows and gettext write the same names differently.
std::u16string NormalTag(std::u16string_view name) {
    std::u16string tag(name);
    for (auto& c : tag) c = c == u'_' ? u'-' : AsciiLower(c);
    return tag;
}

std::u16string_view PrimaryOf(std::u16string_view tag) { return tag.substr(0, tag.find(u'-')); }

std::u16string TagOf(const Catalog& catalog) {
    return NormalTag(std::u16string(catalog.tag.begin(), catalog.tag.end()));
}

}  // namespace

std::u16string Language::Text(std::u16string_view english, std::u16string_view context) const {
    if (catalog_) {
        for (const CatalogEntry& entry : catalog_->entries) {
            if (entry.english == english && entry.context == context) {
                return std::u16string(entry.text);
            }
        }
    }
    return std::u16string(english);
}

std::u16string Language::Text(std::u16string_view english, std::u16string_view context,
                              std::u16string_view value) const {
    return FillPlaceholder(Text(english, context), value);
}

std::string_view Language::Tag() const { return catalog_ ? catalog_->tag : "en"; }

const Catalog* ChooseCatalog(std::span<const std::u16string> preferred,
                             std::span<const Catalog> catalogs) {
    for (const std::u16string& name : preferred) {
        const std::u16string tag = NormalTag(name);
        const std::u16string_view primary = PrimaryOf(tag);
        if (primary.empty()) continue;
        if (primary == u"en") return nullptr;
        const Catalog* sameLanguage = nullptr;
        const Catalog* otherRegion = nullptr;
        for (const Catalog& catalog : catalogs) {
            const std::u16string own = TagOf(catalog);
            if (own == tag) return &catalog;
            if (own == primary && !sameLanguage) sameLanguage = &catalog;
            if (PrimaryOf(own) == primary && !otherRegion) otherRegion = &catalog;
        }
        if (sameLanguage) return sameLanguage;
        if (otherRegion) return otherRegion;
    }
    return nullptr;
}

std::u16string LanguageNameOfId(uint16_t langId) {
    constexpr uint16_t kPortugueseBrazil = 0x0416;
    if (langId == kPortugueseBrazil) return u"pt-BR";
    struct Primary {
        uint16_t id;
        const char16_t* name;
    };
    constexpr Primary kPrimaries[] = {
        {0x07, u"de"}, {0x09, u"en"}, {0x0A, u"es"}, {0x0C, u"fr"},
        {0x10, u"it"}, {0x16, u"pt"}, {0x19, u"ru"},
    };
    const uint16_t primary = langId & 0x3FF;
    for (const Primary& p : kPrimaries) {
        if (p.id == primary) return p.name;
    }
    return u"";
}

std::vector<std::u16string> SplitNameList(std::u16string_view list) {
    std::vector<std::u16string> names;
    size_t start = 0;
    while (start < list.size()) {
        const size_t end = list.find(u'\0', start);
        const std::u16string_view name =
            list.substr(start, end == std::u16string_view::npos ? end : end - start);
        if (name.empty()) break;
        names.emplace_back(name);
        if (end == std::u16string_view::npos) break;
        start = end + 1;
    }
    return names;
}

}  // namespace quillet
