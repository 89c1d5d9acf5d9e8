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
    state.keyStates.clear();
    state.keyNames.clear();
    state.keyNames[u"27"] = u"Escape";
    for (int i = 1; i <= 12; ++i) {
        const int32_t code = constants.LookupConstant(u"#vk_f" + DecimalText(i));
        state.keyNames[DecimalText(code)] = u"F" + DecimalText(i);
    }
    // Every record exists before the hook starts: the hook thread never allocates.
    for (const auto& entry : state.keyNames) state.keyStates[entry.first] = KeyState{};
}

KeyState& KeyStateFor(FilterState& state, const std::u16string& keyText) {
    return state.keyStates[keyText];
}

}  // namespace quillet
