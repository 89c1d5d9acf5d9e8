#include "filter/key_tables.h"

#include "runtime/text.h"

namespace quillet {

std::u16string NamedConstantTable::Fold(std::u16string_view name) {
    std::u16string folded(name);
    for (auto& c : folded) c = AsciiLower(c);
    return folded;
}

void NamedConstantTable::RegisterConstant(std::u16string_view name, int32_t value) {
    values_[Fold(name)] = value;
}

int32_t NamedConstantTable::LookupConstant(std::u16string_view name) const {
    auto it = values_.find(Fold(name));
    return it == values_.end() ? 0 : it->second;
}

void RegisterKeyConstants(NamedConstantTable& table) {
    for (int n = 1; n <= 12; ++n) {
        table.RegisterConstant(u"#VK_F" + DecimalText(n), static_cast<int32_t>(kVkF1) + n - 1);
    }
}

void BuildKeyTables(FilterState& state, const NamedConstantTable& constants) {
    state.keyStates.fill(KeyState{});
    state.guardedNames.fill(nullptr);
    state.keyNames.clear();
    // References into the map stay valid as it grows, and later changes of a
    // name (Escape's, put in the user's language) are made in place.
    const auto name = [&](int32_t code, std::u16string text) {
        std::u16string& stored = state.keyNames[DecimalText(code)] = std::move(text);
        if (code >= 0 && code < static_cast<int32_t>(state.guardedNames.size()))
            state.guardedNames[code] = &stored;
    };
    name(kVkEscape, u"Escape");
    for (int i = 1; i <= 12; ++i) {
        name(constants.LookupConstant(u"#vk_f" + DecimalText(i)), u"F" + DecimalText(i));
    }
}

}  // namespace quillet
