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
    // One region's own row first, then any row of the same primary language.
    const auto primary = [](uint16_t id) { return id & 0x3FF; };
    const LanguageId* sameLanguage = nullptr;
    for (const LanguageId& row : BuiltInLanguageIds()) {
        if (row.id == langId) return std::u16string(row.tag.begin(), row.tag.end());
        if (primary(row.id) == primary(langId) && !sameLanguage) sameLanguage = &row;
    }
    if (!sameLanguage) return u"";
    const std::string_view tag = sameLanguage->tag.substr(0, sameLanguage->tag.find('-'));
    return std::u16string(tag.begin(), tag.end());
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
